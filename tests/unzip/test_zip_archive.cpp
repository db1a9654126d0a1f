// The zip reader on the checked-in archives, from memory.
#include "unzip/zip_archive.h"
#include "tests/unzip/unzip_test_support.h"
#include "core/app_error.h"

#include <doctest.h>

using namespace tsln::zip;
using tsln::test::CorpusPath;
using tsln::test::DataPath;
using tsln::test::ReadBytes;

namespace {

struct StringSink : OutputSink {
    std::string bytes;
    bool Write(const uint8_t* data, size_t count) override {
        bytes.append(reinterpret_cast<const char*>(data), count);
        return true;
    }
};

// An archive opened from a file's bytes, kept alive together.
struct Loaded {
    explicit Loaded(const std::string& path) : bytes(ReadBytes(path)), source(bytes.data(), bytes.size()) {
        opened = archive.Open(source, names);
    }
    const Entry& Find(const std::string& name) const {
        for (const Entry& e : archive.Entries())
            if (e.name == name) return e;
        TSLN_FAIL(tsln::err::kFileNotFound, "no entry " + name);
    }
    std::vector<uint8_t> bytes;
    MemorySource source;
    Latin1Converter names;
    Archive archive;
    Result opened;
};

} // namespace

TEST_CASE("the sample archive lists its entries with their fields") {
    Loaded z(DataPath("sample.zip"));
    REQUIRE(z.opened == Result::kOk);
    const std::vector<Entry>& e = z.archive.Entries();
    REQUIRE(e.size() == 4);
    CHECK(e[0].name == "skins/blue/logo.bin");
    CHECK(e[0].method == 0);
    CHECK(e[0].uncompressedSize == 10);
    CHECK(e[0].compressedSize == 10);
    CHECK(e[0].crc == 0xd0bd2924u);
    CHECK_FALSE(e[0].IsText());
    CHECK(e[1].name == "readme.txt");
    CHECK(e[1].method == 8);
    CHECK(e[1].uncompressedSize == 66);
    CHECK(e[1].compressedSize == 36);
    CHECK(e[1].IsText());
    CHECK(e[2].name == "skins/blue/skin.ini");
    CHECK(e[3].name == "empty/");
    CHECK(e[3].IsDirectory());
    CHECK_FALSE(e[2].IsDirectory());
    const DosStamp s = DecodeDosStamp(e[1].dosDate, e[1].dosTime);
    CHECK(s.year == 2024);
    CHECK(s.month == 3);
    CHECK(s.day == 15);
    CHECK(s.hour == 10);
    CHECK(s.minute == 42);
}

TEST_CASE("stored and deflated entries extract byte for byte") {
    Loaded z(DataPath("sample.zip"));
    REQUIRE(z.opened == Result::kOk);
    StringSink readme, logo;
    CHECK(z.archive.Extract(z.Find("readme.txt"), readme) == Result::kOk);
    CHECK(readme.bytes == "Tessaline sample archive.\nLine two.\nLine two.\nLine two.\nLine two.\n");
    CHECK(z.archive.Extract(z.Find("skins/blue/logo.bin"), logo) == Result::kOk);
    CHECK(logo.bytes == std::string("BIN\0\1\2\3\xff\n\0", 10));
}

TEST_CASE("archives refused when opened") {
    const std::pair<const char*, Result> cases[] = {
        {"truncated_half.zip", Result::kNotZip},
        {"truncated_tail.zip", Result::kNotZip},
        {"garbage.bin", Result::kNotZip},
        {"multidisk.zip", Result::kUnsupported},
        {"too_large.zip", Result::kTooLarge},
        {"zip64_bomb.zip", Result::kTooLarge},
        {"huge_count.zip", Result::kBadArchive},
        {"cd_broken.zip", Result::kBadArchive},
        {"zip64_short.zip", Result::kBadArchive},
        {"comment_past_end.zip", Result::kBadArchive},
        {"comment_nested.zip", Result::kBadArchive},
    };
    for (const auto& [name, expected] : cases) {
        CAPTURE(name);
        Loaded z(CorpusPath(name));
        CHECK(z.opened == expected);
        CHECK(z.archive.Entries().empty());
    }
}

TEST_CASE("an empty archive and one with a long comment open") {
    Loaded empty(CorpusPath("empty.zip"));
    CHECK(empty.opened == Result::kOk);
    CHECK(empty.archive.Entries().empty());
    Loaded commented(CorpusPath("comment.zip"));
    REQUIRE(commented.opened == Result::kOk);
    CHECK(commented.archive.CommentLength() == 60000);
    REQUIRE(commented.archive.Entries().size() == 1);
    StringSink note;
    CHECK(commented.archive.Extract(commented.archive.Entries()[0], note) == Result::kOk);
    CHECK(note.bytes == "Harmless text.\n");
}

TEST_CASE("corrupt entries fail to extract") {
    const std::pair<const char*, Result> cases[] = {
        {"bad_crc.zip", Result::kBadArchive},           {"stored_size_mismatch.zip", Result::kBadArchive},
        {"truncated_deflate.zip", Result::kBadArchive}, {"bomb.zip", Result::kBadArchive},
        {"bad_local_offset.zip", Result::kBadArchive},  {"unsupported_method.zip", Result::kUnsupported},
    };
    for (const auto& [name, expected] : cases) {
        CAPTURE(name);
        Loaded z(CorpusPath(name));
        REQUIRE(z.opened == Result::kOk);
        for (const Entry& e : z.archive.Entries()) {
            StringSink sink;
            CHECK(z.archive.Extract(e, sink) == expected);
            CHECK(sink.bytes.size() <= e.uncompressedSize);
        }
    }
}

TEST_CASE("a deflate bomb stops at the declared size") {
    Loaded z(CorpusPath("bomb.zip"));
    REQUIRE(z.opened == Result::kOk);
    StringSink sink;
    CHECK(z.archive.Extract(z.archive.Entries()[0], sink) == Result::kBadArchive);
    CHECK(sink.bytes.size() <= 1000);
}

TEST_CASE("encrypted entries need the right password") {
    Loaded z(CorpusPath("encrypted.zip"));
    REQUIRE(z.opened == Result::kOk);
    const Entry& one = z.Find("secret/one.txt");
    const Entry& two = z.Find("secret/two.txt");
    CHECK(one.IsEncrypted());
    CHECK_FALSE(z.Find("plain.txt").IsEncrypted());
    CHECK(z.archive.CheckPassword(one, "tessaline") == Result::kOk);
    CHECK(z.archive.CheckPassword(two, "tessaline") == Result::kOk);
    CHECK(z.archive.CheckPassword(one, "wrong") == Result::kBadPassword);
    StringSink bad, first, second;
    CHECK(z.archive.Extract(one, bad, "wrong") == Result::kBadPassword);
    CHECK(bad.bytes.empty());
    CHECK(z.archive.Extract(one, first, "tessaline") == Result::kOk);
    CHECK(first.bytes == "first secret\n");
    CHECK(z.archive.Extract(two, second, "tessaline") == Result::kOk);
    CHECK(second.bytes.size() == 24 * 20 + 1);
}

TEST_CASE("every corpus archive parses without harm") {
    for (const char* name : {"sample.zip", "slip_parent.zip", "slip_absolute.zip", "slip_drive.zip",
                             "slip_nested.zip", "devices.zip", "mixed.zip", "sfx.zip", "zip64_info.zip"}) {
        CAPTURE(name);
        Loaded z(CorpusPath(name));
        REQUIRE(z.opened == Result::kOk);
        for (const Entry& e : z.archive.Entries()) {
            StringSink sink;
            const Result r = z.archive.Extract(e, sink);
            CHECK(r == Result::kOk);
            CHECK(sink.bytes.size() == e.uncompressedSize);
        }
    }
}

TEST_CASE("local offsets move with data before the archive") {
    Loaded plain(CorpusPath("count_low.zip")), stub(CorpusPath("sfx.zip")),
        adjusted(CorpusPath("sfx_adjusted.zip"));
    REQUIRE(plain.opened == Result::kOk);
    REQUIRE(stub.opened == Result::kOk);
    REQUIRE(adjusted.opened == Result::kOk);
    const uint64_t prefix = stub.bytes.size() - plain.bytes.size();
    for (size_t i = 0; i < 3; ++i) {
        CHECK(stub.archive.Entries()[i].localHeaderOffset ==
              plain.archive.Entries()[i].localHeaderOffset + prefix);
        CHECK(adjusted.archive.Entries()[i].localHeaderOffset == stub.archive.Entries()[i].localHeaderOffset);
    }
}

TEST_CASE("an entry whose local header names another file does not extract") {
    Loaded z(CorpusPath("local_name.zip"));
    REQUIRE(z.opened == Result::kOk);
    StringSink evil, good;
    CHECK(z.archive.CheckLocalHeader(z.Find("readme.txt")) == Result::kBadArchive);
    CHECK(z.archive.Extract(z.Find("readme.txt"), evil) == Result::kBadArchive);
    CHECK(evil.bytes.empty());
    CHECK(z.archive.Extract(z.Find("sep/a.txt"), good) == Result::kOk);
    CHECK(good.bytes == "Harmless text.\n");
}
