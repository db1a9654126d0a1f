// The real dist\tsln.dll, called the way the program calls it: real records, real routines, real files.
#include "tests/unzip/unzip_dll_harness.h"

#include <algorithm>
#include <doctest.h>
#include <psapi.h>

using namespace tsln::test;

namespace {

const std::vector<std::string> kSampleTree = {
    "empty\\", "readme.txt", "skins\\", "skins\\blue\\", "skins\\blue\\logo.bin", "skins\\blue\\skin.ini"};
const char kReadme[] = "Tessaline sample archive.\nLine two.\nLine two.\nLine two.\nLine two.\n";

} // namespace

TEST_CASE("listing reports every file entry through the message routine") {
    Unzip unzip;
    REQUIRE(unzip.List(DataPath("sample.zip")) == TSLN_UNZIP_OK);
    const std::vector<Listed>& l = unzip.calls.listed;
    REQUIRE(l.size() == 3); // the folder entry "empty/" is not listed
    CHECK(l[0].name == "skins/blue/logo.bin");
    CHECK(l[0].ucsize == 10);
    CHECK(l[0].csiz == 10);
    CHECK(l[0].cfactor == 0);
    CHECK(l[0].method == "Stored");
    CHECK(l[0].crc == 0xd0bd2924ul);
    CHECK(l[1].name == "readme.txt");
    CHECK(l[1].ucsize == 66);
    CHECK(l[1].csiz == 36);
    CHECK(l[1].cfactor == 45);
    CHECK(l[1].method == "Defl:N");
    CHECK(l[1].crc == 0xaaa10a17ul);
    CHECK(l[2].name == "skins/blue/skin.ini");
    CHECK(l[2].ucsize == 54);
    CHECK(l[2].csiz == 37);
    CHECK(l[2].cfactor == 31);
    CHECK(l[2].crc == 0x8f1c7122ul);
    for (const Listed& e : l) {
        CHECK(e.mo == 3);
        CHECK(e.dy == 15);
        CHECK(e.yr == 2024);
        CHECK(e.hh == 10);
        CHECK(e.mm == 42);
        CHECK(e.c == 0);
        CHECK(e.crypt == 0);
    }
    CHECK(unzip.routines.NumMembers == 3);
    CHECK(unzip.routines.TotalSize == 130);
    CHECK(unzip.routines.TotalSizeComp == 83);
    CHECK(unzip.routines.CompFactor == 36);
    CHECK(unzip.routines.cchComment == 0);
    CHECK(unzip.calls.services.empty());
}

TEST_CASE("listing shows encryption and the archive comment") {
    Unzip unzip;
    REQUIRE(unzip.List(CorpusPath("encrypted.zip")) == TSLN_UNZIP_OK);
    REQUIRE(unzip.calls.listed.size() == 3);
    CHECK(unzip.calls.listed[0].crypt == 0);
    CHECK(unzip.calls.listed[1].crypt == 1);
    CHECK(unzip.calls.listed[2].crypt == 1);
    CHECK(unzip.calls.passwordAsked.empty());
    Unzip commented;
    REQUIRE(commented.List(CorpusPath("comment.zip")) == TSLN_UNZIP_OK);
    CHECK(commented.routines.cchComment == 60000);
    CHECK(commented.routines.NumMembers == 1);
}

TEST_CASE("extraction writes the archive's tree below the target") {
    Site site;
    Unzip unzip;
    REQUIRE(unzip.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_OK);
    CHECK(ListTree(site.Target()) == kSampleTree);
    CHECK(ListTree(site.Sentinel()).empty());
    CHECK(ReadText(site.Target() + "\\readme.txt") == kReadme);
    CHECK(ReadText(site.Target() + "\\skins\\blue\\logo.bin") == std::string("BIN\0\1\2\3\xff\n\0", 10));
    CHECK(ReadText(site.Target() + "\\skins\\blue\\skin.ini") ==
          "[SKIN]\nName=Blue\nName=Blue\nName=Blue\nAuthor=Tessaline\n");
    CHECK(unzip.calls.Printed("  inflating: readme.txt"));
    CHECK(unzip.calls.Printed(" extracting: skins/blue/logo.bin"));
    CHECK(unzip.calls.Printed("   creating: empty/"));
    REQUIRE(unzip.calls.services.size() == 4);
    CHECK(unzip.calls.services[1] == std::make_pair(std::string("readme.txt"), 66ul));
    CHECK(unzip.calls.replaceAsked.empty());
    CHECK(unzip.routines.NumMembers == 3);
    CHECK(unzip.routines.TotalSize == 130);

    // The file carries the entry's time (DOS times have two-second steps).
    tsln::unique_file file(::CreateFileA((site.Target() + "\\readme.txt").c_str(), GENERIC_READ,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(file);
    FILETIME written{}, local{};
    REQUIRE(::GetFileTime(file.get(), nullptr, nullptr, &written));
    REQUIRE(::FileTimeToLocalFileTime(&written, &local));
    WORD date = 0, time = 0;
    REQUIRE(::FileTimeToDosDateTime(&local, &date, &time));
    CHECK(date == ((44 << 9) | (3 << 5) | 15));
    CHECK(time == ((10 << 11) | (42 << 5) | 15));
}

TEST_CASE("the library loaded and unloaded again and again keeps nothing of the process's memory") {
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters);
        return std::max(counters.PrivateUsage, counters.PagefileUsage); // Wine fills only the second
    };
    auto loadAndExtract = [] {
        Site site;
        Unzip unzip;
        REQUIRE(unzip.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_OK);
    };
    for (int i = 0; i < 5; ++i)
        loadAndExtract();
    const SIZE_T before = privateBytes();
    for (int i = 0; i < 100; ++i)
        loadAndExtract();
    // Each load once kept its runtime's exception pool (36 to 73 KB): 100 loads kept 3.6 to 7.3 MB.
    CHECK(privateBytes() - before < 1024 * 1024);
}

TEST_CASE("a target folder that does not exist yet is created") {
    Site site;
    Unzip unzip;
    const std::string fresh = site.Target() + "\\fresh";
    REQUIRE(unzip.Extract(DataPath("sample.zip"), fresh + "\\") == TSLN_UNZIP_OK);
    CHECK(ListTree(fresh) == kSampleTree);
}

TEST_CASE("line ends become CR LF in text entries only") {
    Site site;
    Unzip unzip;
    unzip.options.fConvertCrLf = 1;
    REQUIRE(unzip.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_OK);
    CHECK(ReadText(site.Target() + "\\readme.txt") ==
          "Tessaline sample archive.\r\nLine two.\r\nLine two.\r\nLine two.\r\nLine two.\r\n");
    CHECK(ReadText(site.Target() + "\\skins\\blue\\logo.bin") == std::string("BIN\0\1\2\3\xff\n\0", 10));
}

TEST_CASE("an include list extracts only the named entries") {
    Site site;
    Unzip unzip;
    REQUIRE(unzip.Extract(DataPath("sample.zip"), site.Target(), {"skins\\blue\\skin.ini", "README.TXT"}) ==
            TSLN_UNZIP_OK);
    CHECK(ListTree(site.Target()) ==
          std::vector<std::string>{"readme.txt", "skins\\", "skins\\blue\\", "skins\\blue\\skin.ini"});
    CHECK(unzip.calls.services.size() == 2);
    CHECK(unzip.routines.NumMembers == 2);
}

TEST_CASE("case-sensitive include names must match exactly") {
    Site site;
    Unzip unzip;
    unzip.options.fCaseSensitive = 1;
    CHECK(unzip.Extract(DataPath("sample.zip"), site.Target(), {"README.TXT"}) == TSLN_UNZIP_NOMATCH);
    CHECK(ListTree(site.Target()).empty());
    CHECK(unzip.Extract(DataPath("sample.zip"), site.Target(), {"readme.txt"}) == TSLN_UNZIP_OK);
    CHECK(ListTree(site.Target()) == std::vector<std::string>{"readme.txt"});
}

TEST_CASE("the replace routine decides about existing files") {
    Site site;
    const std::string readme = site.Target() + "\\readme.txt";
    {
        Unzip first;
        REQUIRE(first.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_OK);
    }
    SUBCASE("no: the file stays") {
        WriteText(readme, "old");
        Unzip unzip;
        CHECK(unzip.Extract(DataPath("sample.zip"), site.Target(), {"readme.txt"}) == TSLN_UNZIP_OK);
        CHECK(unzip.calls.replaceAsked == std::vector<std::string>{readme});
        CHECK(ReadText(readme) == "old");
        CHECK(unzip.calls.Printed("  skipping: readme.txt (already exists)"));
    }
    SUBCASE("yes: the file is replaced") {
        WriteText(readme, "old");
        Unzip unzip;
        unzip.calls.replaceAnswer = IDM_REPLACE_YES;
        CHECK(unzip.Extract(DataPath("sample.zip"), site.Target(), {"readme.txt"}) == TSLN_UNZIP_OK);
        CHECK(ReadText(readme) == kReadme);
    }
    SUBCASE("none: asked once, nothing replaced") {
        WriteText(readme, "old");
        Unzip unzip;
        unzip.calls.replaceAnswer = IDM_REPLACE_NONE;
        CHECK(unzip.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_OK);
        CHECK(unzip.calls.replaceAsked.size() == 1);
        CHECK(ReadText(readme) == "old");
    }
    SUBCASE("all: asked once, everything replaced") {
        WriteText(readme, "old");
        Unzip unzip;
        unzip.calls.replaceAnswer = IDM_REPLACE_ALL;
        CHECK(unzip.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_OK);
        CHECK(unzip.calls.replaceAsked.size() == 1);
        CHECK(ReadText(readme) == kReadme);
    }
    SUBCASE("overwrite option: replaced without asking, read-only too") {
        WriteText(readme, "old");
        ::SetFileAttributesA(readme.c_str(), FILE_ATTRIBUTE_READONLY);
        Unzip unzip;
        unzip.options.fOverwrite = 1;
        CHECK(unzip.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_OK);
        CHECK(unzip.calls.replaceAsked.empty());
        CHECK(ReadText(readme) == kReadme);
    }
    CHECK(ListTree(site.Target()) == kSampleTree);
}

TEST_CASE("the service routine cancels the extraction") {
    Site site;
    Unzip unzip;
    unzip.calls.cancelAtService = 2;
    CHECK(unzip.Extract(DataPath("sample.zip"), site.Target()) == TSLN_UNZIP_CANCELLED);
    CHECK(unzip.calls.services.size() == 3);
    CHECK(ListTree(site.Target()) ==
          std::vector<std::string>{"readme.txt", "skins\\", "skins\\blue\\", "skins\\blue\\logo.bin"});
}

TEST_CASE("hostile names write nothing outside the target") {
    struct Case {
        const char* archive;
        std::vector<std::string> written; // inside the target
        const char* warning;
    };
    const Case cases[] = {
        {"slip_parent.zip", {}, "warning: skipped unsafe name: ../evil.txt"},
        {"slip_absolute.zip", {}, "warning: skipped unsafe name: /abs.txt"},
        {"slip_drive.zip", {}, "warning: skipped unsafe name: C:\\x.txt"},
        {"slip_nested.zip", {}, "warning: skipped unsafe name: a/../../b.txt"},
        {"devices.zip", {}, "warning: skipped unsafe name: sub/lpt1.log"},
        {"mixed.zip", {"ok\\", "ok\\good.txt"}, "warning: skipped unsafe name: sub/../../evil3.txt"},
    };
    const std::vector<std::string> outside = {"C:\\x.txt", "C:\\x2.txt", "\\abs.txt", "\\abs_back.txt",
                                              "C:\\x3.txt"};
    std::vector<bool> before;
    for (const std::string& p : outside)
        before.push_back(Exists(p));
    for (const Case& c : cases) {
        CAPTURE(c.archive);
        Site site;
        Unzip unzip;
        unzip.options.fOverwrite = 1;
        CHECK(unzip.Extract(CorpusPath(c.archive), site.Target()) == TSLN_UNZIP_WARNING);
        CHECK(site.Tree() == With(c.written));
        CHECK(unzip.calls.Printed(c.warning));
        for (size_t i = 0; i < outside.size(); ++i)
            CHECK(Exists(outside[i]) == before[i]);
    }
}

TEST_CASE("corrupt and refused archives return their code and leave nothing behind") {
    const std::pair<const char*, int> cases[] = {
        {"truncated_half.zip", TSLN_UNZIP_NOTZIP},
        {"truncated_tail.zip", TSLN_UNZIP_NOTZIP},
        {"garbage.bin", TSLN_UNZIP_NOTZIP},
        {"missing.zip", TSLN_UNZIP_NOTZIP},
        {"bad_crc.zip", TSLN_UNZIP_BADARCHIVE},
        {"stored_size_mismatch.zip", TSLN_UNZIP_BADARCHIVE},
        {"truncated_deflate.zip", TSLN_UNZIP_BADARCHIVE},
        {"bomb.zip", TSLN_UNZIP_BADARCHIVE},
        {"huge_count.zip", TSLN_UNZIP_BADARCHIVE},
        {"bad_local_offset.zip", TSLN_UNZIP_BADARCHIVE},
        {"multidisk.zip", TSLN_UNZIP_UNSUPPORTED},
        {"unsupported_method.zip", TSLN_UNZIP_UNSUPPORTED},
        {"too_large.zip", TSLN_UNZIP_TOOLARGE},
    };
    for (const auto& [archive, expected] : cases) {
        CAPTURE(archive);
        Site site;
        Unzip unzip;
        CHECK(unzip.Extract(CorpusPath(archive), site.Target()) == expected);
        CHECK(site.Tree() == With({}));
        Unzip lister;
        const int listed = lister.List(CorpusPath(archive));
        CHECK((listed == expected || listed == TSLN_UNZIP_OK));
    }
}

TEST_CASE("a corrupt entry is reported and the good ones still arrive") {
    Site site;
    Unzip unzip;
    CHECK(unzip.Extract(CorpusPath("bad_crc.zip"), site.Target()) == TSLN_UNZIP_BADARCHIVE);
    CHECK(unzip.calls.Printed("error: bad CRC or corrupt data: bad.txt"));
    // Both entries point at one local header: the second is refused, as it names another file.
    Unzip overlapping;
    CHECK(overlapping.Extract(CorpusPath("overlapping.zip"), site.Target()) == TSLN_UNZIP_BADARCHIVE);
    CHECK(ListTree(site.Target()) == std::vector<std::string>{"one.txt"});
}

TEST_CASE("encrypted entries ask the password routine") {
    Site site;
    SUBCASE("the right password, asked once and reused") {
        Unzip unzip;
        unzip.calls.passwords = {"tessaline"};
        CHECK(unzip.Extract(CorpusPath("encrypted.zip"), site.Target()) == TSLN_UNZIP_OK);
        CHECK(unzip.calls.passwordAsked == std::vector<std::string>{"secret/one.txt"});
        CHECK(ReadText(site.Target() + "\\secret\\one.txt") == "first secret\n");
        CHECK(ReadText(site.Target() + "\\secret\\two.txt").size() == 481);
        CHECK(ReadText(site.Target() + "\\plain.txt") == "Harmless text.\n");
    }
    SUBCASE("a wrong password is asked again") {
        Unzip unzip;
        unzip.calls.passwords = {"nope", "tessaline"};
        CHECK(unzip.Extract(CorpusPath("encrypted.zip"), site.Target()) == TSLN_UNZIP_OK);
        CHECK(unzip.calls.passwordAsked.size() == 2);
    }
    SUBCASE("only wrong passwords: skipped, result 82") {
        Unzip unzip;
        unzip.calls.passwords = {"a", "b", "c", "d", "e", "f", "g"};
        CHECK(unzip.Extract(CorpusPath("encrypted.zip"), site.Target()) == TSLN_UNZIP_BADPASSWORD);
        CHECK(unzip.calls.passwordAsked.size() == 6);
        CHECK(ListTree(site.Target()) == std::vector<std::string>{"plain.txt", "secret\\"});
        CHECK(unzip.calls.Printed("  skipping: secret/one.txt (wrong or missing password)"));
    }
    SUBCASE("no password: each entry asks once") {
        Unzip unzip;
        CHECK(unzip.Extract(CorpusPath("encrypted.zip"), site.Target()) == TSLN_UNZIP_BADPASSWORD);
        CHECK(unzip.calls.passwordAsked.size() == 2);
    }
    SUBCASE("refused for all: asked once") {
        Unzip unzip;
        unzip.calls.passwordCode = IZ_PW_CANCELALL;
        CHECK(unzip.Extract(CorpusPath("encrypted.zip"), site.Target()) == TSLN_UNZIP_BADPASSWORD);
        CHECK(unzip.calls.passwordAsked.size() == 1);
        CHECK(ListTree(site.Target()) == std::vector<std::string>{"plain.txt", "secret\\"});
    }
}

TEST_CASE("an empty archive lists and extracts nothing") {
    Site site;
    Unzip unzip;
    CHECK(unzip.List(CorpusPath("empty.zip")) == TSLN_UNZIP_OK);
    CHECK(unzip.routines.NumMembers == 0);
    CHECK(unzip.Extract(CorpusPath("empty.zip"), site.Target()) == TSLN_UNZIP_OK);
    CHECK(site.Tree() == With({}));
}

TEST_CASE("missing records, routines, paths and names are refused") {
    Site site;
    Unzip unzip;
    std::string zip = DataPath("sample.zip");
    unzip.options.lpszZipFN = zip.data();
    std::string target = site.Target();
    unzip.options.lpszExtractDir = target.data();
    CHECK(unzip.entry(0, nullptr, 0, nullptr, nullptr, &unzip.routines) == TSLN_UNZIP_BADPARAM);
    CHECK(unzip.entry(0, nullptr, 0, nullptr, &unzip.options, nullptr) == TSLN_UNZIP_BADPARAM);
    CHECK(unzip.entry(1, nullptr, 0, nullptr, &unzip.options, &unzip.routines) == TSLN_UNZIP_BADPARAM);
    CHECK(unzip.entry(-1, nullptr, 0, nullptr, &unzip.options, &unzip.routines) == TSLN_UNZIP_BADPARAM);
    char* holes[] = {nullptr, nullptr};
    CHECK(unzip.entry(2, holes, 0, nullptr, &unzip.options, &unzip.routines) == TSLN_UNZIP_BADPARAM);
    CHECK(unzip.entry(0, nullptr, 1, holes, &unzip.options, &unzip.routines) == TSLN_UNZIP_BADPARAM);

    USERFUNCTIONS noPrint = unzip.routines;
    noPrint.print = nullptr;
    CHECK(unzip.entry(0, nullptr, 0, nullptr, &unzip.options, &noPrint) == TSLN_UNZIP_BADPARAM);
    USERFUNCTIONS noMessage = unzip.routines;
    noMessage.SendApplicationMessage = nullptr;
    CHECK(unzip.entry(0, nullptr, 0, nullptr, &unzip.options, &noMessage) == TSLN_UNZIP_BADPARAM);

    DCL noZip = unzip.options;
    noZip.lpszZipFN = nullptr;
    CHECK(unzip.entry(0, nullptr, 0, nullptr, &noZip, &unzip.routines) == TSLN_UNZIP_BADPARAM);
    DCL noFolder = unzip.options;
    noFolder.lpszExtractDir = nullptr;
    CHECK(unzip.entry(0, nullptr, 0, nullptr, &noFolder, &unzip.routines) == TSLN_UNZIP_BADPARAM);
    noFolder.fList = 1; // listing needs no folder
    CHECK(unzip.entry(0, nullptr, 0, nullptr, &noFolder, &unzip.routines) == TSLN_UNZIP_OK);
    CHECK(site.Tree() == With({}));
}

TEST_CASE("exclude names leave entries out") {
    Site site;
    Unzip unzip;
    std::string zip = DataPath("sample.zip"), target = site.Target(), skip = "skins/blue/logo.bin";
    unzip.options.lpszZipFN = zip.data();
    unzip.options.lpszExtractDir = target.data();
    char* exclude[] = {skip.data()};
    CHECK(unzip.entry(0, nullptr, 1, exclude, &unzip.options, &unzip.routines) == TSLN_UNZIP_OK);
    CHECK(ListTree(site.Target()) == std::vector<std::string>{"empty\\", "readme.txt", "skins\\",
                                                              "skins\\blue\\", "skins\\blue\\skin.ini"});
}
