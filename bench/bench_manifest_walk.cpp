// The manifest folder walk against a bare recursive FindFirstFile walk over the same generated tree.
//
// Run from the top of the source tree after building the target bench_manifest_walk:
//     wine build/FLAVOUR/bench/bench_manifest_walk.exe
// It builds a tree of 20 000 entries (110 folders and their files, one file in ten a program) in a new
// temporary folder, times the bare walk, the program walk that removes manifests where there are none (the
// walk itself: one listing per folder, a look at the message queue between entries, each program's
// manifest looked up in its folder's listing), the walk that adds them and the walk that removes them (best
// of three runs each), removes the tree and its "programs.log", and prints one line:
//     entries=20000 programs=<n> bare=<s> (<entries/s>) walk=<s> (<entries/s>) ratio=<walk's entries/s
//     over bare's>
//     bare+queue-check=<s> (<entries/s>) add=<s> (<entries/s>) remove=<s> (<entries/s>)
// where bare+queue-check is the bare walk that also lets the message queue run after every entry.
#include "bench/bench_clock.h"
#include "core/mod_main.h"
#include "core/unique_any.h"
#include "core/window.h"
#include "visualstyles/mod_visual_support.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>

namespace {
constexpr int kEntries = 20000;
constexpr int kTopFolders = 10;
constexpr int kSubFolders = 10; // per top folder
constexpr int kRuns = 3;

template <typename F>
double Time(F run) {
    return bench::TimeMs(run) / 1000.0;
}

bool MakeFile(const std::string& path) {
    tsln::unique_file file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

// Folders: 10 at the top, 10 in each; the files are spread over all 110, one in ten named .exe.
int MakeTree(const std::string& root) {
    int made = 0;
    std::string folders[kTopFolders * (kSubFolders + 1)];
    int count = 0;
    for (int t = 0; t < kTopFolders; ++t) {
        std::string top = root + "\\dir" + std::to_string(t);
        if (CreateDirectoryA(top.c_str(), nullptr)) ++made;
        folders[count++] = top;
        for (int s = 0; s < kSubFolders; ++s) {
            std::string sub = top + "\\sub" + std::to_string(s);
            if (CreateDirectoryA(sub.c_str(), nullptr)) ++made;
            folders[count++] = sub;
        }
    }
    for (int i = 0; made < kEntries; ++i) {
        std::string name = "file" + std::to_string(i) +
                           (i % 10 == 0   ? ".exe"
                            : i % 10 == 1 ? ".dll"
                                          : ".txt");
        if (MakeFile(folders[i % count] + "\\" + name)) ++made;
    }
    return made;
}

// The reference: every entry listed once, sub-folders entered as they are met. With `pump`, the message
// queue is checked after every entry as the program walk does, to show what that check costs alone.
int BareWalk(const std::string& folder, bool pump = false) {
    int entries = 0;
    WIN32_FIND_DATAA entry;
    tsln::unique_find find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!find) return 0;
    do {
        const char* n = entry.cFileName;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
        ++entries;
        if (pump) tsln::DoEvents();
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) entries += BareWalk(folder + "\\" + n, pump);
    } while (FindNextFileA(find.get(), &entry));
    return entries;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    tsln::unique_find find(FindFirstFileA((path + "\\*").c_str(), &entry));
    if (find) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find.get(), &entry));
    }
    find.reset();
    RemoveDirectoryA(path.c_str());
}
} // namespace

int main() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "tsln-bench-" + std::to_string(GetCurrentProcessId());
    const std::string app = root + "-app";
    if (!CreateDirectoryA(root.c_str(), nullptr) || !CreateDirectoryA(app.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", root.c_str());
        return 1;
    }
    // "programs.log" and any failure log go to a folder of the benchmark's own.
    tsln::SetAppFolder(app + "\\");
    auto cleanup = tsln::make_scope_exit([&] {
        RemoveTree(root);
        RemoveTree(app);
    });

    const int made = MakeTree(root);
    int bareEntries = BareWalk(root); // warms the caches for both walks
    int programs = 0;
    auto count = [&](const std::string&) { ++programs; };

    // Best of three runs each, so that other work on the machine disturbs the figures less.
    double bare = 1e9, pumped = 1e9, walk = 1e9, add = 1e9, remove = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        programs = 0;
        bare = std::min(bare, Time([&] { bareEntries = BareWalk(root); }));
        pumped = std::min(pumped, Time([&] { BareWalk(root, true); }));
        walk = std::min(walk, Time([&] { tsln::RemoveVisualStyles(false, root, count); }));
        add = std::min(add, Time([&] { tsln::AddVisualStyles(false, root); }));
        remove = std::min(remove, Time([&] { tsln::RemoveVisualStyles(false, root); }));
    }

    std::printf("entries=%d programs=%d bare=%.3fs (%.0f entries/s) walk=%.3fs (%.0f entries/s) "
                "ratio=%.2f bare+queue-check=%.3fs (%.0f entries/s) add=%.3fs (%.0f entries/s) "
                "remove=%.3fs (%.0f entries/s)\n",
                bareEntries, programs, bare, bareEntries / bare, walk, bareEntries / walk, bare / walk,
                pumped, bareEntries / pumped, add, bareEntries / add, remove, bareEntries / remove);
    return bareEntries == made ? 0 : 2;
}
