// Reading zip archives: parsing, listing and checked extraction.
// Plain C++ with zlib only, so the same code runs inside tsln.dll and in the native fuzzer.
#pragma once
#include "unzip/zip_names.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsln::zip {

// Result codes, shared with the library's export (see unzip_api.h for their meaning).
enum class Result : int {
    kOk = 0,
    kWarning = 1,
    kBadArchive = 2,
    kNoMemory = 4,
    kNotZip = 9,
    kBadParameters = 10,
    kNoMatch = 11,
    kDiskError = 50,
    kCancelled = 80,
    kUnsupported = 81,
    kBadPassword = 82,
    kTooLarge = 83,
};

// The larger of two outcomes when several entries end differently. A wrong password ranks just above a
// warning so that it is reported only when nothing worse happened.
Result Worse(Result a, Result b) noexcept;

// Above this many bytes declared uncompressed in total an archive is refused.
constexpr uint64_t kMaxTotalUncompressed = 256ull * 1024 * 1024;

// Random access to the archive's bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly `count` bytes at `offset`; false when that is not possible.
    virtual bool Read(uint64_t offset, void* buffer, size_t count) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, void* buffer, size_t count) override;

private:
    const uint8_t* data_;
    size_t size_;
};

// Where extracted bytes go; false from Write stops the extraction as a disk error.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual bool Write(const uint8_t* data, size_t count) = 0;
};

struct Entry {
    std::string name;       // in the ANSI code page, "/" or "\" separated
    std::string rawName;    // the bytes the central record stores
    bool nameInAnsi = true; // false: the ANSI code page cannot hold the name; `name` has "?" instead
    uint8_t hostSystem = 0; // the archiver's system, high byte of "version made by"
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint16_t internalAttributes = 0;
    uint64_t localHeaderOffset = 0; // from the start of the file, data before the archive counted

    bool IsDirectory() const noexcept;
    bool IsEncrypted() const noexcept { return (flags & 1u) != 0; }
    // Stored or deflated, unencrypted or with traditional encryption: what Extract can read.
    bool IsSupported() const noexcept;
    // The archiver marked the entry as text (internal attribute bit 0).
    bool IsText() const noexcept { return (internalAttributes & 1u) != 0; }
};

struct DosStamp {
    unsigned year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
DosStamp DecodeDosStamp(uint16_t dosDate, uint16_t dosTime) noexcept;

// "Stored", "Defl:N" (N, X, F or S from the deflate level bits), other known names, or "Unk:NNN".
std::string MethodText(const Entry& entry);

// Percent saved, 0 to 100, rounded to the nearest.
unsigned CompressionFactor(uint64_t compressed, uint64_t uncompressed) noexcept;

class Archive {
public:
    // Finds the end records, then reads the central directory by its own records: every entry really
    // there, or a failure (never fewer entries than the end record announces). Data before the archive
    // (self-extractors) is allowed for. Names are converted to ANSI through `names`. The source must
    // outlive the archive.
    Result Open(ByteSource& source, const NameConverter& names);

    const std::vector<Entry>& Entries() const noexcept { return entries_; }
    uint16_t CommentLength() const noexcept { return commentLength_; }

    // Whether `password` opens an encrypted entry (the check byte of its 12-byte header matches).
    // kOk, kBadPassword, or kBadArchive when the entry's data cannot be reached.
    Result CheckPassword(const Entry& entry, std::string_view password) const;

    // Streams the entry's uncompressed bytes into `sink`, never more than its declared size, and checks
    // the size and the CRC-32 at the end. `password` is used only for encrypted entries. A failure may
    // come after some bytes reached the sink: the caller discards them.
    Result Extract(const Entry& entry, OutputSink& sink, std::string_view password = {}) const;

    // Whether the entry's local header is where the central record says and names the same file.
    // kOk, or kBadArchive.
    Result CheckLocalHeader(const Entry& entry) const;

private:
    Result DataRange(const Entry& entry, uint64_t& start) const;

    ByteSource* source_ = nullptr;
    std::vector<Entry> entries_;
    uint64_t centralDirectoryStart_ = 0;
    uint16_t commentLength_ = 0;
};

// --- Traditional PKWARE encryption --------------------------------------------------------------

class ZipCrypto {
public:
    explicit ZipCrypto(std::string_view password) noexcept;
    uint8_t Decrypt(uint8_t c) noexcept;
    uint8_t Encrypt(uint8_t p) noexcept; // for building test data

private:
    void Update(uint8_t p) noexcept;
    uint8_t KeyByte() const noexcept;
    uint32_t keys_[3];
};

} // namespace tsln::zip
