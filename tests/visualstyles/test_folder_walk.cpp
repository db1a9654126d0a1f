// The walk over a folder tree: which entries are programs, which folders are entered, and that it ends.
#include "core/window.h"
#include "tests/visualstyles/visualstyles_fixture.h"
#include "visualstyles/folder_walk.h"
#include "visualstyles/mod_visual_support.h"

#include <doctest.h>
#include <algorithm>
#include <stdexcept>

using namespace tsln;
using vstest::MakeFile;
using vstest::MakeFolder;

namespace {
std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

// root: Setup.EXE tool.exe readme.txt app.exe.manifest old.exe\ (inner.exe) .hidden\ (h.exe, deep\d.exe)
//       sys.exe (system) system\ (s.exe) x.exex
struct Tree {
    vstest::Workspace ws;
    std::string root = ws.programs.Path();
    Tree() {
        MakeFile(root + "\\Setup.EXE");
        MakeFile(root + "\\tool.exe");
        MakeFile(root + "\\readme.txt");
        MakeFile(root + "\\app.exe.manifest", "<shipped/>");
        MakeFile(root + "\\x.exex");
        MakeFolder(root + "\\old.exe");
        MakeFile(root + "\\old.exe\\inner.exe");
        MakeFolder(root + "\\.hidden", FILE_ATTRIBUTE_HIDDEN);
        MakeFile(root + "\\.hidden\\h.exe", "MZ", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
        MakeFolder(root + "\\.hidden\\deep");
        MakeFile(root + "\\.hidden\\deep\\d.exe");
        MakeFile(root + "\\sys.exe", "MZ", FILE_ATTRIBUTE_SYSTEM);
        MakeFolder(root + "\\system", FILE_ATTRIBUTE_SYSTEM);
        MakeFile(root + "\\system\\s.exe");
    }
    std::vector<std::string> Programs() const {
        return Sorted({root + "\\Setup.EXE", root + "\\tool.exe", root + "\\old.exe\\inner.exe",
                       root + "\\.hidden\\h.exe", root + "\\.hidden\\deep\\d.exe"});
    }
};

// A window that counts the messages posted to it, to see the walk let the queue run.
struct CountingWindow {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    int count = 0;
    unique_hwnd hwnd;
    CountingWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TsVsCounting";
        RegisterClassA(&wc);
        hwnd.reset(
            CreateWindowA("TsVsCounting", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
        SetWindowLongPtrA(hwnd.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
    }
};
} // namespace

TEST_CASE("program names end in .exe in any letter case") {
    CHECK(IsProgramName("tool.exe"));
    CHECK(IsProgramName("Setup.EXE"));
    CHECK(IsProgramName("a.ExE"));
    CHECK(IsProgramName(".exe"));
    CHECK_FALSE(IsProgramName("exe"));
    CHECK_FALSE(IsProgramName("app.exe.manifest"));
    CHECK_FALSE(IsProgramName("x.exex"));
    CHECK_FALSE(IsProgramName("readme.txt"));
    CHECK_FALSE(IsProgramName(""));
}

TEST_CASE("the walk treats programs, enters hidden folders and leaves system entries out") {
    Tree tree;
    vstest::ShownPaths shown;
    WalkPrograms(tree.root + "\\", shown.Callback());
    CHECK(Sorted(shown.paths) == tree.Programs());

    // A folder's own programs come before those of its sub-folders.
    auto at = [&](const std::string& path) {
        return std::find(shown.paths.begin(), shown.paths.end(), path) - shown.paths.begin();
    };
    CHECK(std::max(at(tree.root + "\\Setup.EXE"), at(tree.root + "\\tool.exe")) <
          std::min(at(tree.root + "\\old.exe\\inner.exe"), at(tree.root + "\\.hidden\\h.exe")));
    CHECK(at(tree.root + "\\.hidden\\h.exe") < at(tree.root + "\\.hidden\\deep\\d.exe"));
}

TEST_CASE("adding over a folder, twice, then removing") {
    Tree tree;
    vstest::ShownPaths shown;
    AddVisualStyles(false, tree.root, shown.Callback()); // no trailing backslash: one is added
    CHECK(Sorted(shown.paths) == tree.Programs());
    for (const std::string& program : tree.Programs()) {
        CAPTURE(program);
        CHECK(testing::ReadFileBytes(program + ".manifest").size() > 0);
        CHECK(vstest::Kept(GetFileAttributesA((program + ".manifest").c_str())) == FILE_ATTRIBUTE_HIDDEN);
    }
    CHECK_FALSE(HasManifest(tree.root + "\\old.exe"));
    CHECK_FALSE(HasManifest(tree.root + "\\readme.txt"));
    CHECK_FALSE(HasManifest(tree.root + "\\app.exe.manifest"));
    CHECK_FALSE(HasManifest(tree.root + "\\sys.exe"));
    CHECK_FALSE(HasManifest(tree.root + "\\system\\s.exe"));
    CHECK(testing::ReadFileBytes(tree.root + "\\app.exe.manifest") == "<shipped/>");

    std::string log = testing::ReadFileBytes(tree.ws.ProgramsLog());
    auto lines = [&] {
        std::vector<std::string> out;
        std::string text = testing::ReadFileBytes(tree.ws.ProgramsLog());
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            out.push_back(text.substr(start, end - start));
        return out;
    };
    CHECK(Sorted(lines()) == tree.Programs());

    // A second walk finds every manifest in place: nothing written, nothing logged.
    shown.paths.clear();
    AddVisualStyles(false, tree.root + "\\", shown.Callback());
    CHECK(Sorted(shown.paths) == tree.Programs());
    CHECK(testing::ReadFileBytes(tree.ws.ProgramsLog()) == log);

    shown.paths.clear();
    RemoveVisualStyles(false, tree.root + "\\", shown.Callback());
    CHECK(Sorted(shown.paths) == tree.Programs());
    for (const std::string& program : tree.Programs())
        CHECK_FALSE(HasManifest(program));
    CHECK(testing::ReadFileBytes(tree.root + "\\app.exe.manifest") == "<shipped/>"); // not a program's
    CHECK(testing::ReadFileBytes(tree.ws.ProgramsLog()) == log);
    CHECK_FALSE(testing::PathExists(tree.ws.FailureLog()));
}

namespace {
// The first bytes of a program built for `machine`: a DOS header pointing at a PE header at `peOffset`.
std::string ProgramHeader(unsigned machine, unsigned peOffset = 0x80) {
    std::string bytes(peOffset + 24, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        bytes[0x3C + i] = static_cast<char>(peOffset >> (8 * i));
    bytes.replace(peOffset, 4, std::string("PE\0\0", 4));
    bytes[peOffset + 4] = static_cast<char>(machine & 0xFF);
    bytes[peOffset + 5] = static_cast<char>(machine >> 8);
    return bytes;
}

std::string ArchitectureIn(const std::string& manifest) {
    const std::string text = testing::ReadFileBytes(manifest);
    const std::string key = "processorArchitecture=\"";
    const size_t first = text.find(key) + key.size(), last = text.rfind(key) + key.size();
    const std::string named = text.substr(first, text.find('"', first) - first);
    // Both the program's identity and the common controls it asks for name the same architecture.
    CHECK(text.substr(last, named.size() + 1) == named + "\"");
    return named;
}
} // namespace

TEST_CASE("each manifest of a walk names its own program's architecture, whichever flavour writes it") {
    vstest::Workspace ws;
    const std::string root = ws.programs.Path();
    char self[MAX_PATH] = {};
    REQUIRE(GetModuleFileNameA(nullptr, self, MAX_PATH));
    REQUIRE(CopyFileA(self, (root + "\\ours.exe").c_str(), FALSE)); // a real program of this flavour
    MakeFile(root + "\\x86.exe", ProgramHeader(0x014C));
    MakeFile(root + "\\x64.exe", ProgramHeader(0x8664));
    MakeFile(root + "\\far.exe", ProgramHeader(0x8664, 8000)); // its header beyond what is read
    MakeFile(root + "\\arm.exe", ProgramHeader(0x01C4));
    MakeFile(root + "\\dos.exe", "MZ");
    AddVisualStyles(false, root);
    CHECK(ArchitectureIn(root + "\\ours.exe.manifest") == (sizeof(void*) == 8 ? "amd64" : "X86"));
    CHECK(ArchitectureIn(root + "\\x86.exe.manifest") == "X86");
    CHECK(ArchitectureIn(root + "\\x64.exe.manifest") == "amd64");
    // What cannot be told is taken for 32-bit x86, as every manifest was before.
    for (const char* unknown : {"far.exe", "arm.exe", "dos.exe"})
        CHECK(ArchitectureIn(root + "\\" + unknown + ".manifest") == "X86");
    CHECK(ArchitectureOfHeader(ProgramHeader(0x8664).substr(0, 0x80 + 5)) == ProgramArchitecture::kUnknown);
    std::string wild = ProgramHeader(0x8664).substr(0, 64);
    wild.replace(0x3C, 4, "\xF0\xFF\xFF\xFF"); // a PE offset near 4 GB must not wrap around
    CHECK(ArchitectureOfHeader(wild) == ProgramArchitecture::kUnknown);
    CHECK_FALSE(testing::PathExists(ws.FailureLog()));
}

TEST_CASE("removing over a folder deletes shipped manifests of its programs") {
    Tree tree;
    MakeFile(tree.root + "\\tool.exe.manifest", "<shipped/>", FILE_ATTRIBUTE_READONLY);
    MakeFile(tree.root + "\\old.exe\\inner.exe.manifest", "<shipped/>",
             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    RemoveVisualStyles(false, tree.root);
    CHECK_FALSE(testing::PathExists(tree.root + "\\tool.exe.manifest"));
    CHECK_FALSE(testing::PathExists(tree.root + "\\old.exe\\inner.exe.manifest"));
    CHECK(testing::PathExists(tree.root + "\\app.exe.manifest"));
}

TEST_CASE("a failure on one program does not stop the walk") {
    Tree tree;
    // tool.exe's manifest is held open elsewhere: that program fails, the others are treated.
    MakeFile(tree.root + "\\tool.exe.manifest", "<shipped/>");
    {
        unique_file held(CreateFileA((tree.root + "\\tool.exe.manifest").c_str(), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(held);
        vstest::ShownPaths shown;
        RemoveVisualStyles(false, tree.root, shown.Callback());
        CHECK(Sorted(shown.paths) == tree.Programs());
    }
    CHECK(testing::PathExists(tree.root + "\\tool.exe.manifest"));
    CHECK(testing::ReadFileBytes(tree.ws.FailureLog()).find("Tessaline.modVisualSupport.DeleteManifest.") !=
          std::string::npos);

    // A callback that fails for one program: that program is skipped, the walk goes on.
    std::vector<std::string> seen;
    AddVisualStyles(false, tree.root, [&](const std::string& path) {
        seen.push_back(path);
        if (path == tree.root + "\\Setup.EXE") throw std::runtime_error("refused");
    });
    CHECK(Sorted(seen) == tree.Programs());
    CHECK_FALSE(HasManifest(tree.root + "\\Setup.EXE"));
    CHECK(HasManifest(tree.root + "\\.hidden\\deep\\d.exe"));
}

TEST_CASE("a missing or empty folder walks nothing") {
    vstest::Workspace ws;
    vstest::ShownPaths shown;
    AddVisualStyles(false, ws.programs / "missing", shown.Callback());
    AddVisualStyles(false, ws.programs.Path(), shown.Callback());
    WalkPrograms(ws.programs / "missing\\", shown.Callback());
    CHECK(shown.paths.empty());
    CHECK_FALSE(testing::PathExists(ws.ProgramsLog()));
}

TEST_CASE("the walk lets queued window messages run") {
    Tree tree;
    CountingWindow window;
    REQUIRE(window.hwnd);
    PostMessageA(window.hwnd.get(), WM_APP, 0, 0);
    bool postedAgain = false;
    WalkPrograms(tree.root + "\\", [&](const std::string&) {
        if (postedAgain) return;
        CHECK(window.count == 1); // the first look at the queue comes with the first entry
        PostMessageA(window.hwnd.get(), WM_APP, 0, 0);
        postedAgain = true;
        Sleep(50); // a slow item: the queue is looked at again before the next one
    });
    CHECK(window.count == 2); // both posts ran inside the walk, the test never pumped
}

TEST_CASE("links and junctions are not entered, so a looping tree ends") {
    vstest::Workspace ws;
    // Every link points inside the temporary folder, so that nothing outside it can be reached.
    std::string root = ws.programs / "top";
    MakeFolder(root);
    MakeFile(root + "\\a.exe");
    MakeFolder(root + "\\sub");
    MakeFile(root + "\\sub\\b.exe");
    MakeFolder(root + "\\other");
    MakeFile(root + "\\other\\c.exe");
    struct Link {
        std::string folder, name, target;
    };
    // To the folder itself, to the parent, to a sibling, and above the walk's start.
    const Link links[] = {{root, "self", "."},
                          {root + "\\sub", "up", ".."},
                          {root + "\\sub", "sideways", "../other"},
                          {root, "above", ".."}};
    // Links go before the temporary folders do: their removal would follow them.
    auto unlink = make_scope_exit([&] {
        for (const Link& link : links)
            CHECK(vstest::RemoveUnixLink(link.folder, link.name));
    });
    for (const Link& link : links)
        REQUIRE(vstest::MakeUnixLink(link.folder, link.name, link.target));

    vstest::ShownPaths shown;
    WalkPrograms(root + "\\", shown.Callback());
    CHECK(Sorted(shown.paths) == Sorted({root + "\\a.exe", root + "\\sub\\b.exe", root + "\\other\\c.exe"}));
}

TEST_CASE("the walk reads each program's manifest from its folder's listing, as the file test finds it") {
    vstest::Workspace ws;
    std::string root = ws.programs.Path();
    MakeFile(root + "\\plain.exe");
    MakeFile(root + "\\plain.exe.manifest", "<shipped/>");
    MakeFile(root + "\\Upper.exe");
    MakeFile(root + "\\UPPER.EXE.Manifest", "<shipped/>", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    MakeFile(root + "\\sys.exe");
    MakeFile(root + "\\sys.exe.manifest", "<shipped/>", FILE_ATTRIBUTE_SYSTEM); // not listed, yet found
    MakeFile(root + "\\folder.exe");
    MakeFolder(root + "\\folder.exe.manifest");
    MakeFile(root + "\\bare.exe");
    MakeFile(root + "\\bare.exe.manifest.bak");
    MakeFile(root + "\\orphan.exe.manifest", "<shipped/>");
    MakeFolder(root + "\\sub");
    MakeFile(root + "\\sub\\caf\xe9.exe"); // beyond ASCII the file system compares the names
    MakeFile(root + "\\sub\\CAF\xc9.EXE.manifest", "<shipped/>");

    std::vector<std::pair<std::string, bool>> found;
    WalkPrograms(root + "\\", [&](const std::string& path, bool hasManifest) {
        CHECK(hasManifest == HasManifest(path));
        found.emplace_back(path, hasManifest);
    });
    std::sort(found.begin(), found.end());
    const bool cafe = HasManifest(root + "\\sub\\caf\xe9.exe");
    CHECK(found == std::vector<std::pair<std::string, bool>>{{root + "\\Upper.exe", true},
                                                             {root + "\\bare.exe", false},
                                                             {root + "\\folder.exe", true},
                                                             {root + "\\plain.exe", true},
                                                             {root + "\\sub\\caf\xe9.exe", cafe},
                                                             {root + "\\sys.exe", true}});

    RemoveVisualStyles(false, root);
    for (const char* gone : {"\\plain.exe.manifest", "\\UPPER.EXE.Manifest", "\\sys.exe.manifest"})
        CHECK_FALSE(testing::PathExists(root + gone));
    CHECK(cafe != testing::PathExists(root + "\\sub\\CAF\xc9.EXE.manifest"));
    CHECK(testing::PathExists(root + "\\folder.exe.manifest")); // a folder is not deleted as a file
    CHECK(testing::PathExists(root + "\\orphan.exe.manifest")); // no program of that name
    CHECK(testing::PathExists(root + "\\bare.exe.manifest.bak"));
}

TEST_CASE("a manifest gone since the listing is nothing to remove") {
    vstest::Workspace ws;
    std::string app = ws.programs / "app.exe";
    MakeFile(app);
    DeleteManifest(app, true);
    CHECK_FALSE(testing::PathExists(ws.FailureLog()));
}
