// Archives as other zip tools write them, through the real dist\tsln.dll: directories the end record
// misdescribes, names in UTF-8 and OEM code pages, self-extractors, ZIP64 records, encryption and
// methods this reader refuses, local headers naming other files, comments longer than the file.
#include "tests/unzip/unzip_dll_harness.h"

#include <doctest.h>

using namespace tsln::test;

namespace {

const char kText[] = "Harmless text.\n";
const std::vector<std::string> kThree = {"one.txt", "three.txt", "two.txt"};

// Extracts `archive` into a fresh site and checks the result code and what arrived.
void ExpectExtracted(const std::string& archive, int expected, const std::vector<std::string>& tree) {
    CAPTURE(archive);
    Site site;
    Unzip unzip;
    CHECK(unzip.Extract(CorpusPath(archive), site.Target()) == expected);
    CHECK(site.Tree() == With(tree));
    for (const std::string& name : tree)
        if (name.back() != '\\') CHECK(ReadText(site.Target() + "\\" + name).size() > 0);
}

} // namespace

TEST_CASE("an end record that disagrees with the directory loses no entry") {
    // A count too low, a size too small or too large, bytes between directory and end record, an
    // offset past the end: every entry present arrives.
    for (const char* archive : {"count_low.zip", "cd_size_small.zip", "cd_size_large.zip", "cd_gap.zip"}) {
        ExpectExtracted(archive, TSLN_UNZIP_OK, kThree);
        Unzip lister;
        CHECK(lister.List(CorpusPath(archive)) == TSLN_UNZIP_OK);
        CHECK(lister.calls.ListedNames() == std::vector<std::string>{"one.txt", "two.txt", "three.txt"});
    }
    ExpectExtracted("bad_cd_offset.zip", TSLN_UNZIP_OK, {"one.txt"});
    // More entries announced than present, or a break in the records: refused, nothing written.
    for (const char* archive : {"huge_count.zip", "cd_broken.zip"}) {
        ExpectExtracted(archive, TSLN_UNZIP_BADARCHIVE, {});
        Unzip lister;
        CHECK(lister.List(CorpusPath(archive)) == TSLN_UNZIP_BADARCHIVE);
        CHECK(lister.calls.listed.empty());
    }
}

TEST_CASE("entry names arrive as Windows shows them") {
    // The test prefix runs with the Western code pages; the expected names are spelled in them.
    REQUIRE(::GetACP() == 1252);
    REQUIRE(::GetOEMCP() == 437);
    Site site;
    Unzip unzip;
    CHECK(unzip.Extract(CorpusPath("names.zip"), site.Target()) == TSLN_UNZIP_WARNING);
    CHECK(site.Tree() == With({"caf\xe9\\", "caf\xe9\\na\xefve.txt", // UTF-8, flagged
                               "r\xe9sum\xe9.txt",                   // OEM, from a DOS host
                               "caf\xe9-unix.txt",                   // as stored, from Unix
                               "\x80uro.txt",                        // from the Unicode path field
                               "stale.txt"}));                       // that field outdated: ignored
    CHECK(ReadText(site.Target() + "\\caf\xe9\\na\xefve.txt") == "utf8\n");
    CHECK(ReadText(site.Target() + "\\r\xe9sum\xe9.txt") == "oem\n");
    // Characters the ANSI code page lacks, never replaced by look-alikes, and broken UTF-8.
    CHECK(unzip.calls.Printed("warning: skipped unsafe name: ??.txt"));
    CHECK(unzip.calls.Printed("warning: skipped unsafe name: a?b.txt"));
    CHECK(unzip.calls.Printed("warning: skipped unsafe name: bad?(.txt"));

    Unzip lister;
    CHECK(lister.List(CorpusPath("names.zip")) == TSLN_UNZIP_OK);
    CHECK(lister.calls.ListedNames() ==
          std::vector<std::string>{"caf\xe9/na\xefve.txt", "r\xe9sum\xe9.txt", "caf\xe9-unix.txt",
                                   "\x80uro.txt", "stale.txt", "??.txt", "a?b.txt", "bad?(.txt"});
    // Include names are the names as listed.
    Site only;
    Unzip one;
    CHECK(one.Extract(CorpusPath("names.zip"), only.Target(), {"r\xe9sum\xe9.txt"}) == TSLN_UNZIP_OK);
    CHECK(only.Tree() == With({"r\xe9sum\xe9.txt"}));
}

TEST_CASE("data before the archive is allowed for") {
    // A self-extractor's stub with offsets counted from the archive, from the file, and with ZIP64
    // end records whose locator does not count the stub either.
    for (const char* archive : {"sfx.zip", "sfx_adjusted.zip", "sfx_zip64.zip"}) {
        CAPTURE(archive);
        Site site;
        Unzip unzip;
        CHECK(unzip.Extract(CorpusPath(archive), site.Target()) == TSLN_UNZIP_OK);
        CHECK(site.Tree() == With(kThree));
        CHECK(ReadText(site.Target() + "\\two.txt") == kText);
    }
}

TEST_CASE("ZIP64 records of small entries are read, the size cap still holds") {
    ExpectExtracted("zip64.zip", TSLN_UNZIP_OK, {"one.txt"});
    ExpectExtracted("zip64_info.zip", TSLN_UNZIP_OK, {"forced.txt", "stored.txt"});
    ExpectExtracted("zip64_central.zip", TSLN_UNZIP_OK, {"all.txt", "sizes.txt"});
    ExpectExtracted("zip64_python.zip", TSLN_UNZIP_OK, {"python\\", "python\\forced.txt"});
    Site site;
    Unzip unzip;
    REQUIRE(unzip.Extract(CorpusPath("zip64_central.zip"), site.Target()) == TSLN_UNZIP_OK);
    CHECK(ReadText(site.Target() + "\\all.txt") == std::string(kText) + kText + kText);
    Unzip lister;
    REQUIRE(lister.List(CorpusPath("zip64_central.zip")) == TSLN_UNZIP_OK);
    REQUIRE(lister.calls.listed.size() == 2);
    CHECK(lister.calls.listed[0].ucsize == 45);
    CHECK(lister.calls.listed[1].csiz == 15);
    // A ZIP64 size of 1 TiB counts against the total; a ZIP64 field too short is corrupt.
    ExpectExtracted("zip64_bomb.zip", TSLN_UNZIP_TOOLARGE, {});
    ExpectExtracted("zip64_short.zip", TSLN_UNZIP_BADARCHIVE, {});
}

TEST_CASE("AES, strong encryption and other methods are refused per entry without a password prompt") {
    Site site;
    Unzip unzip;
    CHECK(unzip.Extract(CorpusPath("refused.zip"), site.Target()) == TSLN_UNZIP_UNSUPPORTED);
    CHECK(unzip.calls.passwordAsked.empty());
    CHECK(site.Tree() == With({"plain.txt"}));
    for (const char* name : {"aes.txt", "strong.txt", "implode.bin", "deflate64.bin", "bzip2.bin", "lzma.bin",
                             "zstd.bin", "xz.bin", "ppmd.bin"}) {
        CAPTURE(name);
        CHECK(unzip.calls.Printed(std::string("error: unsupported compression or encryption: ") + name));
    }
    Unzip lister;
    CHECK(lister.List(CorpusPath("refused.zip")) == TSLN_UNZIP_OK);
    REQUIRE(lister.calls.listed.size() == 10);
    CHECK(lister.calls.listed[1].crypt == 1);
    CHECK(lister.calls.listed[1].method == "Unk:099");
}

TEST_CASE("a local header naming another file is refused for that entry") {
    Site site;
    Unzip unzip;
    CHECK(unzip.Extract(CorpusPath("local_name.zip"), site.Target()) == TSLN_UNZIP_BADARCHIVE);
    // "sep\a.txt" in the local header and "sep/a.txt" in the directory name the same file.
    CHECK(site.Tree() == With({"good.txt", "sep\\", "sep\\a.txt"}));
    CHECK(unzip.calls.Printed("error: local header missing or naming another file: readme.txt"));
}

TEST_CASE("an archive comment longer than the file is a corrupt archive") {
    // Also when a stored archive inside could be taken for the outer one.
    for (const char* archive : {"comment_past_end.zip", "comment_nested.zip"}) {
        ExpectExtracted(archive, TSLN_UNZIP_BADARCHIVE, {});
        Unzip lister;
        CHECK(lister.List(CorpusPath(archive)) == TSLN_UNZIP_BADARCHIVE);
        CHECK(lister.calls.listed.empty());
    }
}
