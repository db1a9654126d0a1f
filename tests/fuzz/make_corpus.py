#!/usr/bin/env python3
"""Writes the hostile and edge-case zip archives under tests/fuzz/corpus/.

The unzip tests read these files and the fuzzer starts from them. Output is deterministic, so running
the script again reproduces the checked-in files byte for byte. Python standard library only.
"""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")
SAMPLE = os.path.join(HERE, "..", "unzip", "data", "sample.zip")
PASSWORD = b"tessaline"

# 2024-03-15 10:42:30 in DOS form.
DOS_DATE = (44 << 9) | (3 << 5) | 15
DOS_TIME = (10 << 11) | (42 << 5) | 15


def deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class ZipCrypto:
    """Traditional PKWARE encryption."""

    def __init__(self, password):
        self.keys = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    @staticmethod
    def crc_byte(crc, b):
        return zlib.crc32(bytes([b]), crc ^ 0xFFFFFFFF) ^ 0xFFFFFFFF

    def update(self, b):
        k = self.keys
        k[0] = self.crc_byte(k[0], b)
        k[1] = ((k[1] + (k[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k[2] = self.crc_byte(k[2], k[1] >> 24)

    def encrypt(self, data):
        out = bytearray()
        for p in data:
            t = (self.keys[2] & 0xFFFF) | 2
            out.append(p ^ (((t * (t ^ 1)) >> 8) & 0xFF))
            self.update(p)
        return bytes(out)


class Member:
    def __init__(self, name, content=b"", method=8, **kw):
        self.name = name.encode("latin-1") if isinstance(name, str) else name
        self.usize = len(content)
        self.crc = zlib.crc32(content)
        self.method = method
        self.payload = deflate(content) if method == 8 else content
        self.flags = 0
        self.internal = 0
        self.local_offset = None  # None: where it is written
        self.descriptor = False
        for key, value in kw.items():
            setattr(self, key, value)
        if getattr(self, "password", None):
            self.flags |= 1
            check = (DOS_TIME >> 8) if self.descriptor else (self.crc >> 24)
            rnd = random.Random(self.name)
            header = bytes(rnd.randrange(256) for _ in range(11)) + bytes([check & 0xFF])
            self.payload = ZipCrypto(self.password).encrypt(header + self.payload)
        if self.descriptor:
            self.flags |= 8
        self.csize = kw.get("csize", len(self.payload))
        self.usize = kw.get("usize", self.usize)
        self.crc = kw.get("crc", self.crc)


def build(members, comment=b"", count=None, cd_offset=None, disk=0, cd_disk=0, here=None, zip64=False):
    body = bytearray()
    for m in members:
        m.written_at = len(body)
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, m.flags, m.method, DOS_TIME, DOS_DATE,
                            0 if m.descriptor else m.crc, 0 if m.descriptor else m.csize,
                            0 if m.descriptor else m.usize, len(m.name), 0)
        body += m.name + m.payload
        if m.descriptor:
            body += struct.pack("<IIII", 0x08074B50, m.crc, m.csize, m.usize)
    cd_start = len(body)
    for m in members:
        offset = m.written_at if m.local_offset is None else m.local_offset
        body += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, m.flags, m.method, DOS_TIME, DOS_DATE,
                            m.crc, m.csize, m.usize, len(m.name), 0, 0, 0, m.internal, 0, offset)
        body += m.name
    cd_size = len(body) - cd_start
    n = len(members) if count is None else count
    if zip64:
        eocd64_at = len(body)
        body += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, n, n, cd_size, cd_start)
        body += struct.pack("<IIQI", 0x07064B50, 0, eocd64_at, 1)
        body += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, len(comment))
    else:
        body += struct.pack("<IHHHHIIH", 0x06054B50, disk, cd_disk, n if here is None else here, n, cd_size,
                            cd_start if cd_offset is None else cd_offset, len(comment))
    return bytes(body + comment)


def corpus():
    text = b"Harmless text.\n"
    files = {}
    with open(SAMPLE, "rb") as f:
        sample = f.read()
    files["sample.zip"] = sample
    files["truncated_half.zip"] = sample[: len(sample) // 2]
    files["truncated_tail.zip"] = sample[:-5]

    files["slip_parent.zip"] = build([Member("../evil.txt", b"evil\n")])
    files["slip_absolute.zip"] = build([Member("/abs.txt", b"abs\n"), Member("\\abs_back.txt", b"abs\n")])
    files["slip_drive.zip"] = build([Member("C:\\x.txt", b"x\n"), Member("C:/x2.txt", b"x\n"),
                                     Member("c:x3.txt", b"x\n"), Member("ok:stream.txt", b"x\n")])
    files["slip_nested.zip"] = build([Member("a/../../b.txt", b"b\n"), Member("a\\..\\..\\c.txt", b"c\n"),
                                      Member("a//b.txt", b"d\n")])
    files["devices.zip"] = build([Member("CON", b"1"), Member("aux.txt", b"2"), Member("sub/lpt1.log", b"3"),
                                  Member("COM9.x", b"4"), Member("nul", b"5"), Member("prn.tar.gz", b"6")])
    files["mixed.zip"] = build([Member("ok/good.txt", b"good\n", internal=1), Member("../evil.txt", b"evil\n"),
                                Member("..\\evil2.txt", b"evil\n"), Member("sub/../../evil3.txt", b"evil\n"),
                                Member("ok/CON.txt", b"evil\n")])

    files["bad_crc.zip"] = build([Member("bad.txt", text, method=0, crc=0x12345678)])
    files["stored_size_mismatch.zip"] = build([Member("short.txt", text, method=0, usize=len(text) - 3)])
    # Keep the headers, drop the second half of the compressed stream (sizes stay consistent).
    m = Member("cut.txt", bytes(range(256)) * 8)
    m.payload = m.payload[: len(m.payload) // 2]
    m.csize = len(m.payload)
    files["truncated_deflate.zip"] = build([m])

    files["bomb.zip"] = build([Member("bomb.bin", bytes(1 << 20), usize=1000)])
    files["too_large.zip"] = build([Member("big%d.bin" % i, bytes(1000), usize=100 << 20) for i in range(3)])
    files["huge_count.zip"] = build([Member("one.txt", text)], count=65534)
    files["bad_cd_offset.zip"] = build([Member("one.txt", text)], cd_offset=0x7FFFFFF0)
    files["bad_local_offset.zip"] = build([Member("far.txt", text, local_offset=0x00FFFFFF),
                                           Member("near.txt", text, local_offset=3)])
    files["overlapping.zip"] = build([Member("one.txt", text), Member("two.txt", text, local_offset=0)])
    files["zip64.zip"] = build([Member("one.txt", text)], zip64=True)
    files["multidisk.zip"] = build([Member("one.txt", text)], disk=1, cd_disk=1)
    files["unsupported_method.zip"] = build([Member("packed.bz2", b"BZh91AY&SY", method=12)])
    files["empty.zip"] = build([])
    files["comment.zip"] = build([Member("note.txt", text)], comment=b"Tessaline " * 6000)
    files["encrypted.zip"] = build([
        Member("plain.txt", text),
        Member("secret/one.txt", b"first secret\n", method=0, password=PASSWORD),
        Member("secret/two.txt", b"second secret, deflated " * 20 + b"\n", password=PASSWORD, descriptor=True),
    ])
    rnd = random.Random(1234)
    files["garbage.bin"] = bytes(rnd.randrange(256) for _ in range(300))
    return files


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in sorted(corpus().items()):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        print("%-28s %8d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
