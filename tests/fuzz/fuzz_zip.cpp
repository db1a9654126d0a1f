// libFuzzer target over the zip reader: open from memory, list, decode and check names, extract every
// entry.
#include "unzip/zip_archive.h"

#include <cstdlib>

namespace {

// Counts what the reader hands out instead of keeping it.
class CountingSink : public tsln::zip::OutputSink {
public:
    explicit CountingSink(uint64_t limit) : limit_(limit) {}
    bool Write(const uint8_t* data, size_t count) override {
        if (count > 0 && !data) std::abort();
        written += count;
        if (written > limit_) std::abort(); // more than the entry declares
        return true;
    }
    uint64_t written = 0;

private:
    uint64_t limit_;
};

void Require(bool condition) {
    if (!condition) std::abort();
}

// A name judged safe has no drive, no root and no way up.
void RequireContained(const std::string& name) {
    Require(!name.empty() && name.front() != '/' && name.front() != '\\');
    Require(name.find(':') == std::string::npos);
    const std::string windows = "\\" + tsln::zip::ToWindowsPath(name) + "\\";
    Require(windows.find("\\..\\") == std::string::npos);
    Require(windows.find("\\.\\") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tsln::zip::Result;
    // The raw bytes as an entry name too, so the name checks see arbitrary text directly.
    const std::string raw(reinterpret_cast<const char*>(data), size < 512 ? size : 512);
    if (tsln::zip::IsSafeEntryName(raw)) RequireContained(raw);
    const tsln::zip::Latin1Converter names;
    std::string decoded;
    if (tsln::zip::ToAnsiName(raw, tsln::zip::NameEncoding::kUtf8, names, decoded) &&
        tsln::zip::IsSafeEntryName(decoded))
        RequireContained(decoded);

    tsln::zip::MemorySource source(data, size);
    tsln::zip::Archive archive;
    if (archive.Open(source, names) != Result::kOk) return 0;

    uint64_t total = 0;
    for (const tsln::zip::Entry& entry : archive.Entries()) {
        total += entry.uncompressedSize;
        (void)tsln::zip::MethodText(entry);
        Require(tsln::zip::CompressionFactor(entry.compressedSize, entry.uncompressedSize) <= 100);
        if (entry.nameInAnsi && tsln::zip::IsSafeEntryName(entry.name)) RequireContained(entry.name);
        (void)tsln::zip::NameMatches(entry.name, tsln::zip::ToWindowsPath(entry.name), false);

        CountingSink sink(entry.uncompressedSize);
        const Result r = archive.Extract(entry, sink, "tessaline");
        Require(entry.IsSupported() || r == Result::kUnsupported);
        if (r == Result::kOk) Require(archive.CheckLocalHeader(entry) == Result::kOk);
        Require(sink.written <= entry.uncompressedSize);
        if (r == Result::kOk) Require(sink.written == entry.uncompressedSize);
        if (entry.IsEncrypted()) (void)archive.CheckPassword(entry, "wrong");
    }
    Require(total <= tsln::zip::kMaxTotalUncompressed);
    return 0;
}
