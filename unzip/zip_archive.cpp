#include "unzip/zip_archive.h"

#include "unzip/zip_directory.h"
#include "unzip/zip_records.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace tsln::zip {
namespace {

using namespace records;

constexpr size_t kCryptHeaderSize = 12;
constexpr size_t kChunk = 64 * 1024;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kFlagMaskedDirectory = 0x2000;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

constexpr uint16_t kExtraZip64 = 0x0001;
constexpr uint16_t kExtraUnicodePath = 0x7075;

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
    return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

bool Entry::IsSupported() const noexcept {
    return (method == kMethodStored || method == kMethodDeflated) &&
           !(flags & (kFlagStrongEncryption | kFlagMaskedDirectory));
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

namespace {

// The data of the extra field `id` among `extra`'s blocks; false when there is none.
bool FindExtra(const uint8_t* extra, size_t length, uint16_t id, const uint8_t*& data, size_t& size) {
    size_t pos = 0;
    while (length - pos >= 4) {
        const size_t blockSize = Get16(extra + pos + 2);
        if (length - pos - 4 < blockSize) return false; // a damaged block ends the list
        if (Get16(extra + pos) == id) {
            data = extra + pos + 4;
            size = blockSize;
            return true;
        }
        pos += 4 + blockSize;
    }
    return false;
}

// Takes the values the ZIP64 extra field holds for the fields saturated in the 32-bit record: in
// order the uncompressed size, compressed size, local header offset and disk, each only if needed.
// Without the field a saturated value is taken as it stands; false when the field is too short.
bool ReadZip64Fields(const uint8_t* extra, size_t extraLength, Entry& entry, uint32_t& disk) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindExtra(extra, extraLength, kExtraZip64, data, size)) return true;
    size_t pos = 0;
    auto take = [&](uint64_t& field, size_t width) {
        if (size - pos < width) return false;
        field = width == 8 ? Get64(data + pos) : Get32(data + pos);
        pos += width;
        return true;
    };
    uint64_t disk64 = disk;
    const bool complete = (entry.uncompressedSize != 0xFFFFFFFFu || take(entry.uncompressedSize, 8)) &&
                          (entry.compressedSize != 0xFFFFFFFFu || take(entry.compressedSize, 8)) &&
                          (entry.localHeaderOffset != 0xFFFFFFFFu || take(entry.localHeaderOffset, 8)) &&
                          (disk != 0xFFFF || take(disk64, 4));
    disk = static_cast<uint32_t>(disk64);
    return complete;
}

// The name as this system shows it: UTF-8 when flagged or given by a Unicode path field that still
// matches the stored name, else the encoding of the archiver's system.
void DecodeName(const uint8_t* extra, size_t extraLength, const NameConverter& names, Entry& entry) {
    std::string_view stored = entry.rawName;
    NameEncoding encoding = EncodingForHost(entry.hostSystem);
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (entry.flags & kFlagUtf8) {
        encoding = NameEncoding::kUtf8;
    } else if (FindExtra(extra, extraLength, kExtraUnicodePath, data, size) && size >= 5 && data[0] == 1 &&
               Get32(data + 1) == crc32(crc32(0L, Z_NULL, 0),
                                        reinterpret_cast<const Bytef*>(entry.rawName.data()),
                                        static_cast<uInt>(entry.rawName.size()))) {
        stored = std::string_view(reinterpret_cast<const char*>(data + 5), size - 5);
        encoding = NameEncoding::kUtf8;
    }
    entry.nameInAnsi = ToAnsiName(stored, encoding, names, entry.name);
}

// One central record, known to lie whole at `h`.
Result ParseCentralRecord(const uint8_t* h, const NameConverter& names, Entry& e, size_t& recordSize) {
    const size_t nameLength = Get16(h + 28);
    const size_t extraLength = Get16(h + 30);
    recordSize = kCentralHeaderSize + nameLength + extraLength + Get16(h + 32);
    e.hostSystem = h[5];
    e.flags = Get16(h + 8);
    e.method = Get16(h + 10);
    e.dosTime = Get16(h + 12);
    e.dosDate = Get16(h + 14);
    e.crc = Get32(h + 16);
    e.compressedSize = Get32(h + 20);
    e.uncompressedSize = Get32(h + 24);
    e.internalAttributes = Get16(h + 36);
    e.localHeaderOffset = Get32(h + 42);
    e.rawName.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
    const uint8_t* extra = h + kCentralHeaderSize + nameLength;
    uint32_t disk = Get16(h + 34);
    if (!ReadZip64Fields(extra, extraLength, e, disk)) return Result::kBadArchive;
    if (disk != 0) return Result::kUnsupported; // starts on another disk
    DecodeName(extra, extraLength, names, e);
    return Result::kOk;
}

// `offset` moved as the central directory moved from `stated` to `actual`; UINT64_MAX (unreachable)
// when it would fall outside the file's range.
uint64_t Moved(uint64_t offset, uint64_t stated, uint64_t actual) noexcept {
    if (actual >= stated) {
        const uint64_t by = actual - stated;
        return offset <= UINT64_MAX - by ? offset + by : UINT64_MAX;
    }
    const uint64_t by = stated - actual;
    return offset >= by ? offset - by : UINT64_MAX;
}

bool HasLocalSignature(ByteSource& source, uint64_t offset) {
    uint8_t signature[4];
    return source.Read(offset, signature, sizeof signature) && Get32(signature) == kLocalSignature;
}

} // namespace

Result Archive::Open(ByteSource& source, const NameConverter& names) {
    source_ = &source;
    entries_.clear();
    commentLength_ = 0;
    CentralDirectory directory;
    Result r = LocateCentralDirectory(source, directory);
    if (r != Result::kOk) return r;

    std::vector<Entry> entries;
    entries.reserve(directory.bytes.size() / kCentralHeaderSize);
    uint64_t total = 0;
    for (size_t pos = 0; pos < directory.bytes.size();) {
        Entry e;
        size_t recordSize = 0;
        r = ParseCentralRecord(&directory.bytes[pos], names, e, recordSize);
        if (r != Result::kOk) return r;
        if (e.uncompressedSize > kMaxTotalUncompressed - total) return Result::kTooLarge;
        total += e.uncompressedSize;
        entries.push_back(std::move(e));
        pos += recordSize;
    }

    // Local offsets move with the directory when data precedes the archive. When the first entry's
    // header is not found there but is where the offsets say, the stated directory offset was wrong
    // instead, and the offsets stand.
    const uint64_t stated = directory.statedStart, actual = directory.start;
    const bool moved = stated == actual || entries.empty() ||
                       HasLocalSignature(source, Moved(entries[0].localHeaderOffset, stated, actual)) ||
                       !HasLocalSignature(source, entries[0].localHeaderOffset);
    if (moved)
        for (Entry& e : entries)
            e.localHeaderOffset = Moved(e.localHeaderOffset, stated, actual);

    centralDirectoryStart_ = directory.start;
    commentLength_ = directory.commentLength;
    entries_ = std::move(entries);
    return Result::kOk;
}

Result Archive::DataRange(const Entry& entry, uint64_t& start) const {
    if (!source_) return Result::kBadParameters;
    const uint64_t header = entry.localHeaderOffset;
    if (header > centralDirectoryStart_ || centralDirectoryStart_ - header < kLocalHeaderSize)
        return Result::kBadArchive;
    uint8_t h[kLocalHeaderSize];
    if (!source_->Read(header, h, sizeof h) || Get32(h) != kLocalSignature) return Result::kBadArchive;
    // The local header must name the same file as the central record ("/" and "\" alike): a reader
    // trusting one and a tool trusting the other would otherwise write different files.
    const size_t nameLength = Get16(h + 26);
    if (nameLength != entry.rawName.size()) return Result::kBadArchive;
    std::string localName(nameLength, '\0');
    if (!source_->Read(header + kLocalHeaderSize, localName.data(), nameLength) ||
        !NameMatches(localName, entry.rawName, true))
        return Result::kBadArchive;
    start = header + kLocalHeaderSize + nameLength + Get16(h + 28);
    if (start > centralDirectoryStart_ || entry.compressedSize > centralDirectoryStart_ - start)
        return Result::kBadArchive;
    return Result::kOk;
}

Result Archive::CheckLocalHeader(const Entry& entry) const {
    uint64_t start = 0;
    return DataRange(entry, start);
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
    if (!entry.IsSupported()) return Result::kUnsupported;
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
