#include "unzip/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace tsln::zip {
namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCryptHeaderSize = 12;
constexpr size_t kChunk = 64 * 1024;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kFlagMaskedDirectory = 0x2000;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

uint16_t Get16(const uint8_t* p) noexcept {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) noexcept {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IsSeparator(char c) noexcept {
    return c == '/' || c == '\\';
}

char AsciiUpper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int Rank(Result r) noexcept {
    switch (r) {
    case Result::kOk:
        return 0;
    case Result::kWarning:
        return 1;
    case Result::kBadPassword:
        return 2;
    case Result::kNoMatch:
        return 3;
    case Result::kUnsupported:
        return 4;
    case Result::kBadArchive:
        return 5;
    case Result::kNotZip:
    case Result::kTooLarge:
        return 6;
    case Result::kNoMemory:
        return 7;
    case Result::kDiskError:
        return 8;
    case Result::kBadParameters:
        return 9;
    case Result::kCancelled:
        return 10;
    }
    return 5;
}

// inflateEnd on every way out.
struct Inflater {
    z_stream stream{};
    bool ready = false;
    ~Inflater() {
        if (ready) inflateEnd(&stream);
    }
};

// The check byte the 12-byte encryption header ends with.
uint8_t CheckByte(const Entry& entry) noexcept {
    return (entry.flags & kFlagDataDescriptor) ? static_cast<uint8_t>(entry.dosTime >> 8)
                                               : static_cast<uint8_t>(entry.crc >> 24);
}

} // namespace

Result Worse(Result a, Result b) noexcept {
    return Rank(b) > Rank(a) ? b : a;
}

bool MemorySource::Read(uint64_t offset, void* buffer, size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    if (count != 0) std::memcpy(buffer, data_ + offset, count);
    return true;
}

bool Entry::IsDirectory() const noexcept {
    return !name.empty() && IsSeparator(name.back());
}

DosStamp DecodeDosStamp(uint16_t dosDate, uint16_t dosTime) noexcept {
    DosStamp s;
    s.year = 1980u + (dosDate >> 9);
    s.month = (dosDate >> 5) & 15u;
    s.day = dosDate & 31u;
    s.hour = dosTime >> 11;
    s.minute = (dosTime >> 5) & 63u;
    s.second = (dosTime & 31u) * 2u;
    return s;
}

std::string MethodText(const Entry& entry) {
    switch (entry.method) {
    case 0:
        return "Stored";
    case 1:
        return "Shrunk";
    case 2:
    case 3:
    case 4:
    case 5:
        return "Reduce" + std::to_string(entry.method - 1);
    case 6:
        return "Implode";
    case 8:
        return std::string("Defl:") + "NXFS"[(entry.flags >> 1) & 3u];
    case 9:
        return "Def64";
    case 12:
        return "BZip2";
    case 14:
        return "LZMA";
    default:
        break;
    }
    std::string digits = std::to_string(entry.method);
    return "Unk:" + std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

unsigned CompressionFactor(uint64_t compressed, uint64_t uncompressed) noexcept {
    if (uncompressed == 0 || compressed >= uncompressed) return 0;
    return static_cast<unsigned>(((uncompressed - compressed) * 100 + uncompressed / 2) / uncompressed);
}

Result Archive::Open(ByteSource& source) {
    source_ = &source;
    entries_.clear();
    const uint64_t size = source.Size();
    if (size < kEndRecordSize) return Result::kNotZip;

    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndRecordSize + kMaxCommentSize));
    const uint64_t tailStart = size - tailSize;
    std::vector<uint8_t> tail(tailSize);
    if (!source.Read(tailStart, tail.data(), tailSize)) return Result::kNotZip;

    // Prefer a record whose comment ends the file exactly; then accept trailing bytes.
    size_t found = SIZE_MAX;
    for (int pass = 0; pass < 2 && found == SIZE_MAX; ++pass) {
        for (size_t i = tailSize - kEndRecordSize + 1; i-- > 0;) {
            if (Get32(&tail[i]) != kEndSignature) continue;
            const size_t end = i + kEndRecordSize + Get16(&tail[i + 20]);
            if (pass == 0 ? end == tailSize : end <= tailSize) {
                found = i;
                break;
            }
        }
    }
    if (found == SIZE_MAX) return Result::kNotZip;

    const uint8_t* end = &tail[found];
    const uint64_t endPos = tailStart + found;
    const uint16_t disk = Get16(end + 4);
    const uint16_t directoryDisk = Get16(end + 6);
    const uint16_t entriesHere = Get16(end + 8);
    const uint16_t entryCount = Get16(end + 10);
    const uint32_t directorySize = Get32(end + 12);
    const uint32_t directoryOffset = Get32(end + 16);
    commentLength_ = Get16(end + 20);

    if (entriesHere == 0xFFFF || entryCount == 0xFFFF || directorySize == 0xFFFFFFFFu ||
        directoryOffset == 0xFFFFFFFFu)
        return Result::kUnsupported; // ZIP64
    if (endPos >= 20) {
        uint8_t locator[4];
        if (source.Read(endPos - 20, locator, sizeof locator) && Get32(locator) == kZip64LocatorSignature)
            return Result::kUnsupported;
    }
    if (disk != 0 || directoryDisk != 0 || entriesHere != entryCount) return Result::kUnsupported;
    if (static_cast<uint64_t>(directoryOffset) + directorySize > endPos) return Result::kBadArchive;
    if (static_cast<uint64_t>(entryCount) * kCentralHeaderSize > directorySize) return Result::kBadArchive;

    std::vector<uint8_t> dir(directorySize);
    if (!source.Read(directoryOffset, dir.data(), dir.size())) return Result::kBadArchive;
    centralDirectoryStart_ = directoryOffset;

    std::vector<Entry> entries;
    entries.reserve(entryCount);
    uint64_t total = 0;
    size_t pos = 0;
    for (unsigned k = 0; k < entryCount; ++k) {
        if (dir.size() - pos < kCentralHeaderSize) return Result::kBadArchive;
        const uint8_t* h = &dir[pos];
        if (Get32(h) != kCentralSignature) return Result::kBadArchive;
        const size_t nameLength = Get16(h + 28);
        const size_t extraLength = Get16(h + 30);
        const size_t commentLength = Get16(h + 32);
        const size_t recordSize = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (dir.size() - pos < recordSize) return Result::kBadArchive;

        Entry e;
        e.flags = Get16(h + 8);
        e.method = Get16(h + 10);
        e.dosTime = Get16(h + 12);
        e.dosDate = Get16(h + 14);
        e.crc = Get32(h + 16);
        e.compressedSize = Get32(h + 20);
        e.uncompressedSize = Get32(h + 24);
        e.internalAttributes = Get16(h + 36);
        e.localHeaderOffset = Get32(h + 42);
        e.name.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
        if (e.compressedSize == 0xFFFFFFFFu || e.uncompressedSize == 0xFFFFFFFFu ||
            e.localHeaderOffset == 0xFFFFFFFFu)
            return Result::kUnsupported;                     // ZIP64
        if (Get16(h + 34) != 0) return Result::kUnsupported; // starts on another disk

        total += e.uncompressedSize;
        if (total > kMaxTotalUncompressed) return Result::kTooLarge;
        entries.push_back(std::move(e));
        pos += recordSize;
    }
    entries_ = std::move(entries);
    return Result::kOk;
}

Result Archive::DataRange(const Entry& entry, uint64_t& start) const {
    if (!source_) return Result::kBadParameters;
    const uint64_t header = entry.localHeaderOffset;
    if (header + kLocalHeaderSize > centralDirectoryStart_) return Result::kBadArchive;
    uint8_t h[kLocalHeaderSize];
    if (!source_->Read(header, h, sizeof h) || Get32(h) != kLocalSignature) return Result::kBadArchive;
    start = header + kLocalHeaderSize + Get16(h + 26) + Get16(h + 28);
    if (start + entry.compressedSize > centralDirectoryStart_) return Result::kBadArchive;
    return Result::kOk;
}

Result Archive::CheckPassword(const Entry& entry, std::string_view password) const {
    uint64_t start = 0;
    Result r = DataRange(entry, start);
    if (r != Result::kOk) return r;
    if (entry.compressedSize < kCryptHeaderSize) return Result::kBadArchive;
    uint8_t header[kCryptHeaderSize];
    if (!source_->Read(start, header, sizeof header)) return Result::kBadArchive;
    ZipCrypto crypto(password);
    uint8_t last = 0;
    for (uint8_t c : header)
        last = crypto.Decrypt(c);
    return last == CheckByte(entry) ? Result::kOk : Result::kBadPassword;
}

Result Archive::Extract(const Entry& entry, OutputSink& sink, std::string_view password) const {
    if (entry.flags & (kFlagStrongEncryption | kFlagMaskedDirectory)) return Result::kUnsupported;
    if (entry.method != kMethodStored && entry.method != kMethodDeflated) return Result::kUnsupported;
    uint64_t offset = 0;
    Result r = DataRange(entry, offset);
    if (r != Result::kOk) return r;

    uint64_t remaining = entry.compressedSize;
    std::unique_ptr<ZipCrypto> crypto;
    if (entry.flags & kFlagEncrypted) {
        r = CheckPassword(entry, password);
        if (r != Result::kOk) return r;
        crypto = std::make_unique<ZipCrypto>(password);
        uint8_t header[kCryptHeaderSize];
        if (!source_->Read(offset, header, sizeof header)) return Result::kBadArchive;
        for (uint8_t c : header)
            crypto->Decrypt(c);
        offset += kCryptHeaderSize;
        remaining -= kCryptHeaderSize;
    }

    std::vector<uint8_t> in(kChunk);
    // Reads and decrypts the next slice of compressed data.
    auto readInput = [&](size_t& got) {
        got = static_cast<size_t>(std::min<uint64_t>(remaining, in.size()));
        if (!source_->Read(offset, in.data(), got)) return false;
        if (crypto)
            for (size_t i = 0; i < got; ++i)
                in[i] = crypto->Decrypt(in[i]);
        offset += got;
        remaining -= got;
        return true;
    };

    uLong crc = crc32(0L, Z_NULL, 0);
    uint64_t written = 0;
    if (entry.method == kMethodStored) {
        if (remaining != entry.uncompressedSize) return Result::kBadArchive;
        while (remaining > 0) {
            size_t got = 0;
            if (!readInput(got)) return Result::kBadArchive;
            crc = crc32(crc, in.data(), static_cast<uInt>(got));
            if (!sink.Write(in.data(), got)) return Result::kDiskError;
            written += got;
        }
    } else {
        Inflater inflater;
        if (inflateInit2(&inflater.stream, -MAX_WBITS) != Z_OK) return Result::kNoMemory;
        inflater.ready = true;
        z_stream& z = inflater.stream;
        std::vector<uint8_t> out(kChunk);
        for (;;) {
            if (z.avail_in == 0 && remaining > 0) {
                size_t got = 0;
                if (!readInput(got)) return Result::kBadArchive;
                z.next_in = in.data();
                z.avail_in = static_cast<uInt>(got);
            }
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            const int status = inflate(&z, Z_NO_FLUSH);
            if (status == Z_MEM_ERROR) return Result::kNoMemory;
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return Result::kBadArchive;
            const size_t produced = out.size() - z.avail_out;
            // Never hand out more than the entry declares.
            if (produced > entry.uncompressedSize - written) return Result::kBadArchive;
            if (produced > 0) {
                crc = crc32(crc, out.data(), static_cast<uInt>(produced));
                if (!sink.Write(out.data(), produced)) return Result::kDiskError;
                written += produced;
            }
            if (status == Z_STREAM_END) break;
            // Out of input with the stream unfinished: truncated.
            if (produced == 0 && z.avail_in == 0 && remaining == 0) return Result::kBadArchive;
        }
    }
    if (written != entry.uncompressedSize || crc != entry.crc) return Result::kBadArchive;
    return Result::kOk;
}

// --- Entry names --------------------------------------------------------------------------------

bool IsReservedDeviceName(std::string_view component) {
    std::string base(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = AsciiUpper(c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
        const unsigned char d = static_cast<unsigned char>(base[3]);
        // Windows also reserves the superscript digits 1, 2 and 3 of the ANSI code page.
        return (d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || IsSeparator(name.front())) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t stop = start;
        while (stop < name.size() && !IsSeparator(name[stop]))
            ++stop;
        const std::string_view part = name.substr(start, stop - start);
        if (part.empty()) {
            if (stop != name.size()) return false; // "a//b"; one trailing separator marks a folder
        } else {
            if (part == "." || part == "..") return false;
            for (char ch : part) {
                const unsigned char c = static_cast<unsigned char>(ch);
                if (c < 0x20 || std::strchr("<>:\"|?*", c)) return false;
            }
            if (part.back() == '.' || part.back() == ' ') return false; // Windows strips these
            if (IsReservedDeviceName(part)) return false;
        }
        start = stop + 1;
    }
    return true;
}

std::string ToWindowsPath(std::string_view name) {
    std::string path(name);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool NameMatches(std::string_view entryName, std::string_view wanted, bool caseSensitive) {
    if (entryName.size() != wanted.size()) return false;
    for (size_t i = 0; i < entryName.size(); ++i) {
        char a = entryName[i], b = wanted[i];
        if (IsSeparator(a) && IsSeparator(b)) continue;
        if (!caseSensitive) {
            a = AsciiUpper(a);
            b = AsciiUpper(b);
        }
        if (a != b) return false;
    }
    return true;
}

// --- Traditional PKWARE encryption --------------------------------------------------------------

ZipCrypto::ZipCrypto(std::string_view password) noexcept : keys_{0x12345678u, 0x23456789u, 0x34567890u} {
    for (char c : password)
        Update(static_cast<uint8_t>(c));
}

void ZipCrypto::Update(uint8_t p) noexcept {
    const z_crc_t* table = get_crc_table();
    keys_[0] = table[(keys_[0] ^ p) & 0xFF] ^ (keys_[0] >> 8);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1u;
    keys_[2] = table[(keys_[2] ^ (keys_[1] >> 24)) & 0xFF] ^ (keys_[2] >> 8);
}

uint8_t ZipCrypto::KeyByte() const noexcept {
    const unsigned temp = (keys_[2] & 0xFFFFu) | 2u;
    return static_cast<uint8_t>((temp * (temp ^ 1u)) >> 8);
}

uint8_t ZipCrypto::Decrypt(uint8_t c) noexcept {
    const uint8_t p = static_cast<uint8_t>(c ^ KeyByte());
    Update(p);
    return p;
}

uint8_t ZipCrypto::Encrypt(uint8_t p) noexcept {
    const uint8_t c = static_cast<uint8_t>(p ^ KeyByte());
    Update(p);
    return c;
}

} // namespace tsln::zip
