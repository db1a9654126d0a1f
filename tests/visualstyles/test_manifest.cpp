// One program's manifest: its text, its name, creating and deleting it, and what is logged.
#include "tests/visualstyles/visualstyles_fixture.h"
#include "visualstyles/mod_visual_support.h"

#include <doctest.h>

using namespace tsln;
using vstest::Attributes;
using vstest::MakeFile;

namespace {
const char* const kFirstLines =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n";
std::string Expected(const std::string& fileName, const std::string& arch = "X86") {
    return std::string(kFirstLines) + "<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"" +
           arch + "\" name=\"Company.Product." + fileName + "\" type=\"win32\" />\r\n" +
           "<description>WindowsExecutable</description>\r\n"
           "<dependency>\r\n"
           "<dependentAssembly>\r\n"
           "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
           "processorArchitecture=\"" +
           arch +
           "\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\" />\r\n"
           "</dependentAssembly>\r\n"
           "</dependency>\r\n"
           "</assembly>\r\n";
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}
} // namespace

TEST_CASE("path helpers") {
    CHECK(StripPath("C:\\Tools\\app.exe") == "app.exe");
    CHECK(StripPath("app.exe") == "app.exe");
    CHECK(StripPath("C:\\Tools\\") == "");
    CHECK(StripPath("") == "");
    CHECK(StripPath("\\\\server\\share\\My App.exe") == "My App.exe");

    CHECK(CutAtNull(std::string("C:\\Apps\0junk", 12)) == "C:\\Apps");
    CHECK(CutAtNull("no nul") == "no nul");
    CHECK(CutAtNull(std::string("\0x", 2)) == "");
    CHECK(CutAtNull("") == "");

    CHECK(ManifestPath("C:\\Tools\\app.exe") == "C:\\Tools\\app.exe.manifest");
    CHECK(ManifestPath("C:\\Tools\\My App.EXE") == "C:\\Tools\\My App.EXE.manifest");
    // A bare name has no folder part: AddBackslash turns the empty folder into the root.
    CHECK(ManifestPath("app.exe") == "\\app.exe.manifest");
}

TEST_CASE("the manifest text, byte for byte") {
    CHECK(ManifestText("app.exe", ProgramArchitecture::kX86) == Expected("app.exe"));
    CHECK(ManifestText("app.exe", ProgramArchitecture::kAmd64) == Expected("app.exe", "amd64"));
    CHECK(ManifestText("app.exe", ProgramArchitecture::kUnknown) == Expected("app.exe"));
    // Spaces and letter case of the file name are kept.
    std::string spaced = ManifestText("My App.exe", ProgramArchitecture::kX86);
    CHECK(spaced.find("name=\"Company.Product.My App.exe\" type=\"win32\" />\r\n") != std::string::npos);
    CHECK(spaced == Expected("My App.exe"));
    CHECK(Count(spaced, "\r\n") == 10);
    CHECK(Count(spaced, "\n") == 10);
    // Single-byte ANSI text: a name in the system code page is written as its bytes.
    CHECK(ManifestText("caf\xE9.exe", ProgramArchitecture::kX86) == Expected("caf\xE9.exe"));
}

TEST_CASE("adding a manifest twice writes it once and logs one line") {
    vstest::Workspace ws;
    std::string app = ws.programs / "app.exe";
    MakeFile(app);
    vstest::ShownPaths shown;

    CHECK_FALSE(HasManifest(app));
    CreateManifest(app, shown.Callback());
    std::string manifest = app + ".manifest";
    CHECK(HasManifest(app));
    CHECK(testing::ReadFileBytes(manifest) == Expected("app.exe"));
    CHECK(vstest::Kept(Attributes(manifest)) == FILE_ATTRIBUTE_HIDDEN);
    CHECK(testing::ReadFileBytes(ws.ProgramsLog()) == app + "\r\n");

    CreateManifest(app, shown.Callback());
    CHECK(testing::ReadFileBytes(manifest) == Expected("app.exe"));
    CHECK(testing::ReadFileBytes(ws.ProgramsLog()) == app + "\r\n");
    CHECK(shown.paths == std::vector<std::string>{app, app}); // the second call only shows the path
    CHECK_FALSE(testing::PathExists(ws.FailureLog()));
}

TEST_CASE("the log line is the path exactly as given, and the log only grows") {
    vstest::Workspace ws;
    MakeFile(ws.programs / "My App.exe");
    MakeFile(ws.programs / "tool.exe");
    MakeFile(ws.ProgramsLog(), "earlier\r\n");
    // A doubled backslash is passed on unchanged; the manifest still lands beside the program.
    std::string odd = ws.programs.Path() + "\\\\tool.exe";
    CreateManifest(ws.programs / "My App.exe");
    CreateManifest(odd);
    CHECK(testing::ReadFileBytes(ws.ProgramsLog()) ==
          "earlier\r\n" + (ws.programs / "My App.exe") + "\r\n" + odd + "\r\n");
    CHECK(testing::ReadFileBytes(ws.programs / "My App.exe.manifest") == Expected("My App.exe"));
    CHECK(testing::ReadFileBytes(ws.programs / "tool.exe.manifest") == Expected("tool.exe"));
}

TEST_CASE("an existing manifest is never overwritten, whatever its attributes") {
    vstest::Workspace ws;
    const DWORD kinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY,
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM};
    int n = 0;
    for (DWORD attributes : kinds) {
        CAPTURE(attributes);
        std::string app = ws.programs / ("shipped" + std::to_string(n++) + ".exe");
        MakeFile(app);
        MakeFile(app + ".manifest", "<shipped/>", attributes);
        CHECK(HasManifest(app));
        CreateManifest(app);
        CHECK(testing::ReadFileBytes(app + ".manifest") == "<shipped/>");
        CHECK(vstest::Kept(Attributes(app + ".manifest")) == vstest::Kept(attributes));
    }
    CHECK_FALSE(testing::PathExists(ws.ProgramsLog()));
    CHECK_FALSE(testing::PathExists(ws.FailureLog()));
}

TEST_CASE("one chosen program gets a manifest whatever its extension") {
    vstest::Workspace ws;
    std::string script = ws.programs / "notes.txt";
    MakeFile(script, "text");
    vstest::ShownPaths shown;
    AddVisualStyles(true, script, shown.Callback());
    CHECK(testing::ReadFileBytes(script + ".manifest") == Expected("notes.txt"));
    CHECK(shown.paths == std::vector<std::string>{script});
    // The program itself need not exist either.
    AddVisualStyles(true, ws.programs / "gone.exe");
    CHECK(HasManifest(ws.programs / "gone.exe"));

    RemoveVisualStyles(true, script, shown.Callback());
    CHECK_FALSE(HasManifest(script));
    CHECK(shown.paths == std::vector<std::string>{script, script});
}

TEST_CASE("removing deletes hidden, read-only and shipped manifests and leaves the log alone") {
    vstest::Workspace ws;
    const DWORD kinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY,
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY};
    int n = 0;
    for (DWORD attributes : kinds) {
        CAPTURE(attributes);
        std::string app = ws.programs / ("p" + std::to_string(n++) + ".exe");
        MakeFile(app);
        MakeFile(app + ".manifest", "<shipped/>", attributes);
        vstest::ShownPaths shown;
        DeleteManifest(app, shown.Callback());
        CHECK_FALSE(testing::PathExists(app + ".manifest"));
        CHECK(testing::PathExists(app));
        CHECK(shown.paths == std::vector<std::string>{app});
    }

    // One of our own: created, logged, then removed; the log keeps its line.
    std::string own = ws.programs / "own.exe";
    MakeFile(own);
    CreateManifest(own);
    REQUIRE(HasManifest(own));
    DeleteManifest(own);
    CHECK_FALSE(HasManifest(own));
    CHECK(testing::ReadFileBytes(ws.ProgramsLog()) == own + "\r\n");

    // Nothing to remove: only the path is shown.
    vstest::ShownPaths shown;
    DeleteManifest(own, shown.Callback());
    CHECK(shown.paths == std::vector<std::string>{own});
    CHECK_FALSE(testing::PathExists(ws.FailureLog()));
}

TEST_CASE("a failure ends the call for that program, is logged and not shown") {
    vstest::Workspace ws;
    testing::BoxWatcher boxes;

    SUBCASE("creating in a folder that does not exist") {
        std::string app = ws.programs / "missing\\app.exe";
        CreateManifest(app);
        CHECK_FALSE(HasManifest(app));
        CHECK_FALSE(testing::PathExists(ws.ProgramsLog()));
        std::string log = testing::ReadFileBytes(ws.FailureLog());
        CHECK(log.find("Error Number: 3\r\n") != std::string::npos);
        CHECK(log.find("Debug Information:\r\nTessaline.modVisualSupport.CreateManifest.") !=
              std::string::npos);
    }
    SUBCASE("deleting a manifest another program holds open") {
        std::string app = ws.programs / "busy.exe";
        MakeFile(app);
        MakeFile(app + ".manifest", "<shipped/>", FILE_ATTRIBUTE_HIDDEN);
        {
            unique_file held(CreateFileA((app + ".manifest").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
            REQUIRE(held);
            DeleteManifest(app);
            CHECK(HasManifest(app));
        }
        std::string log = testing::ReadFileBytes(ws.FailureLog());
        CHECK(log.find("Debug Information:\r\nTessaline.modVisualSupport.DeleteManifest.") !=
              std::string::npos);
        // Released, it goes.
        DeleteManifest(app);
        CHECK_FALSE(HasManifest(app));
    }
    SUBCASE("a folder in the way of the manifest") {
        std::string app = ws.programs / "odd.exe";
        vstest::MakeFolder(app + ".manifest");
        CreateManifest(app); // counts as existing: left alone
        CHECK_FALSE(testing::PathExists(ws.ProgramsLog()));
        DeleteManifest(app);
        CHECK(testing::PathExists(app + ".manifest"));
        CHECK(testing::ReadFileBytes(ws.FailureLog()).find("Tessaline.modVisualSupport.DeleteManifest.") !=
              std::string::npos);
    }
    CHECK(boxes.Seen().empty());
}

TEST_CASE("HasManifest sees only the manifest beside the program") {
    vstest::Workspace ws;
    std::string app = ws.programs / "app.exe";
    MakeFile(ws.programs / "app.manifest");
    MakeFile(ws.programs / "APP.EXE.MANIFEST.bak");
    CHECK_FALSE(HasManifest(app));
    MakeFile(ws.programs / "APP.EXE.MANIFEST", "x", FILE_ATTRIBUTE_HIDDEN);
    CHECK(HasManifest(app)); // file names compare without letter case
    CHECK_FALSE(HasManifest(""));
    CHECK_FALSE(HasManifest("Q:\\nowhere\\x.exe"));
}
