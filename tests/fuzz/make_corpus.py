#!/usr/bin/env python3
"""Writes the hostile and edge-case zip archives under tests/fuzz/corpus/.

The unzip tests read these files and the fuzzer starts from them. Output is deterministic, so running
the script again reproduces the checked-in files byte for byte. Python standard library only.
"""
import io
import os
import random
import struct
import zipfile
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
        self.host = 0  # the archiver's system: 0 DOS/Windows, 3 Unix
        self.central_extra = b""
        self.local_extra = b""
        self.local_name = None  # None: the central name
        self.zip64_local = False  # local sizes saturated, given by a ZIP64 field
        self.zip64_central = ()  # central fields saturated: "usize", "csize", "offset"
        self.zip64_data = None  # None: the values of the saturated fields
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


def build(members, comment=b"", count=None, cd_offset=None, disk=0, cd_disk=0, here=None, zip64=False,
          prefix=b"", adjusted=False, cd_size=None, between=b"", comment_length=None, zip64_offset_only=False):
    """An archive of `members`. `prefix` goes before it (a self-extractor's stub), its offsets counted
    only when `adjusted`; the keyword arguments after `zip64` falsify the end records."""
    shift = len(prefix) if adjusted else 0
    body = bytearray()
    for m in members:
        m.written_at = len(body)
        csize, usize = (0, 0) if m.descriptor else (m.csize, min(m.usize, 0xFFFFFFFF))
        local_extra = m.local_extra
        if m.zip64_local:
            local_extra = struct.pack("<HHQQ", 1, 16, usize, csize) + local_extra
            csize = usize = 0xFFFFFFFF
        name = m.name if m.local_name is None else m.local_name
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 45 if m.zip64_local else 20, m.flags, m.method,
                            DOS_TIME, DOS_DATE, 0 if m.descriptor else m.crc, csize, usize, len(name),
                            len(local_extra))
        body += name + local_extra + m.payload
        if m.descriptor:
            body += struct.pack("<IIII", 0x08074B50, m.crc, m.csize, m.usize)
    cd_start = len(body)
    for m in members:
        offset = (m.written_at if m.local_offset is None else m.local_offset) + shift
        fields = {"usize": m.usize, "csize": m.csize, "offset": offset}
        extra = b""
        for key in ("usize", "csize", "offset"):
            if key in m.zip64_central:
                extra += struct.pack("<Q", fields[key])
                fields[key] = 0xFFFFFFFF
        if m.zip64_data is not None:
            extra = m.zip64_data
        extra = (struct.pack("<HH", 1, len(extra)) + extra if extra else b"") + m.central_extra
        body += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, (m.host << 8) | 20, 20, m.flags, m.method,
                            DOS_TIME, DOS_DATE, m.crc, fields["csize"], fields["usize"], len(m.name), len(extra),
                            0, 0, m.internal, 0, fields["offset"])
        body += m.name + extra
    size = len(body) - cd_start if cd_size is None else cd_size
    body += between
    n = len(members) if count is None else count
    start = cd_start + shift if cd_offset is None else cd_offset
    length = len(comment) if comment_length is None else comment_length
    if zip64:
        eocd64_at = len(body) + shift
        body += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, n, n, size, start)
        body += struct.pack("<IIQI", 0x07064B50, 0, eocd64_at, 1)
        if zip64_offset_only:
            body += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, n, n, size, 0xFFFFFFFF, length)
        else:
            body += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, length)
    else:
        body += struct.pack("<IHHHHIIH", 0x06054B50, disk, cd_disk, n if here is None else here, n, size,
                            start, length)
    return prefix + bytes(body + comment)


def unicode_path(stored, name, crc=None):
    """The Unicode path extra field (0x7075) naming `stored` as `name`."""
    data = struct.pack("<BI", 1, zlib.crc32(stored) if crc is None else crc) + name.encode("utf-8")
    return struct.pack("<HH", 0x7075, len(data)) + data


def python_zip64():
    """What Python's own zipfile writes when told to use ZIP64 records for a small entry."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        info = zipfile.ZipInfo("python/forced.txt", date_time=(2024, 3, 15, 10, 42, 30))
        info.compress_type = zipfile.ZIP_DEFLATED
        with z.open(info, "w", force_zip64=True) as f:
            f.write(b"Written with ZIP64 records.\n" * 4)
    return out.getvalue()


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

    # The directory read by its own records, whatever the end record says.
    three = lambda: [Member("one.txt", text), Member("two.txt", text, method=0), Member("three.txt", text)]
    files["count_low.zip"] = build(three(), count=2)
    last_record = 46 + len(b"three.txt")
    files["cd_size_small.zip"] = build(three(), cd_size=last_record)
    files["cd_size_large.zip"] = build(three(), cd_size=4000)
    files["cd_gap.zip"] = build(three(), between=b"\0" * 16)
    broken = bytearray(build(three()))
    second = broken.index(b"PK\x01\x02", broken.index(b"PK\x01\x02") + 1)
    broken[second:second + 4] = b"PK\x09\x09"
    files["cd_broken.zip"] = bytes(broken)

    # Names: UTF-8 when flagged, OEM from DOS and Windows hosts, as stored from Unix.
    files["names.zip"] = build([
        Member("caf\u00e9/na\u00efve.txt".encode("utf-8"), b"utf8\n", flags=0x800),
        Member(b"r\x82sum\x82.txt", b"oem\n"),
        Member(b"caf\xe9-unix.txt", b"unix\n", host=3),
        Member(b"_uro.txt", b"unicode path\n", central_extra=unicode_path(b"_uro.txt", "\u20acuro.txt")),
        Member(b"stale.txt", b"stale\n", central_extra=unicode_path(b"stale.txt", "other.txt", crc=1)),
        Member("\u65e5\u672c.txt".encode("utf-8"), b"cjk\n", flags=0x800),
        Member("a\uff0fb.txt".encode("utf-8"), b"full-width solidus\n", flags=0x800),
        Member(b"bad\xc3(.txt", b"invalid\n", flags=0x800),
    ])

    # Data before the archive, as self-extractors have it; offsets counted from the stub or not.
    stub = b"MZ" + bytes(random.Random(7).randrange(256) for _ in range(3000))
    files["sfx.zip"] = build(three(), prefix=stub)
    files["sfx_adjusted.zip"] = build(three(), prefix=stub, adjusted=True)
    files["sfx_zip64.zip"] = build(three(), prefix=stub, zip64=True)

    # ZIP64 records for small entries.
    files["zip64_info.zip"] = build([Member("forced.txt", text * 3, zip64_local=True, zip64_central=("offset",)),
                                     Member("stored.txt", text, method=0, zip64_local=True,
                                            zip64_central=("offset",))],
                                    zip64=True, zip64_offset_only=True)
    files["zip64_central.zip"] = build([Member("all.txt", text * 3, zip64_central=("usize", "csize", "offset")),
                                        Member("sizes.txt", text, method=0, zip64_central=("usize", "csize"))],
                                       zip64=True)
    files["zip64_python.zip"] = python_zip64()
    files["zip64_bomb.zip"] = build([Member("huge.bin", text, method=0, zip64_central=("usize", "csize"),
                                            usize=1 << 40)], zip64=True)
    files["zip64_short.zip"] = build([Member("short.txt", text, zip64_central=("usize", "csize"),
                                             zip64_data=struct.pack("<Q", len(text)))])

    # Encryption and methods this reader does not handle, beside an entry it does.
    aes = struct.pack("<HHHHBH", 0x9901, 7, 2, 0x4541, 3, 8)
    files["refused.zip"] = build([
        Member("plain.txt", text),
        Member("aes.txt", bytes(40), method=99, flags=1, central_extra=aes, local_extra=aes),
        Member("strong.txt", bytes(40), flags=0x41),
        Member("implode.bin", bytes(20), method=6),
        Member("deflate64.bin", bytes(20), method=9),
        Member("bzip2.bin", b"BZh91AY&SY", method=12),
        Member("lzma.bin", bytes(20), method=14),
        Member("zstd.bin", bytes(20), method=93),
        Member("xz.bin", bytes(20), method=95),
        Member("ppmd.bin", bytes(20), method=98),
    ])

    # A local header naming another file than its central record.
    files["local_name.zip"] = build([
        Member("good.txt", text),
        Member("readme.txt", b"evil\n", local_name=b"evil.exe"),
        Member("sep/a.txt", text, local_name=b"sep\\a.txt"),
    ])

    # An archive comment declared longer than the file, also with a stored archive inside.
    files["comment_past_end.zip"] = build([Member("note.txt", text)], comment=b"cut", comment_length=200)
    inner = build([Member("inner.txt", text)])
    files["comment_nested.zip"] = build([Member("inner.zip", inner, method=0)], comment_length=0x1000)

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
