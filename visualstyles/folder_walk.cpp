#include "visualstyles/folder_walk.h"
#include "core/unique_any.h"
#include "core/window.h"

#include <windows.h>

namespace tsln {

namespace {
bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsListed(const WIN32_FIND_DATAA& entry) {
    return !(entry.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) && !IsDots(entry.cFileName);
}

bool IsFolder(const WIN32_FIND_DATAA& entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Calls `visit` for each listed entry of `folder`; the listing stays open while `visit` runs.
template <typename Visit>
void ListFolder(const std::string& folder, Visit visit) {
    WIN32_FIND_DATAA entry;
    unique_find find(FindFirstFileA((folder + "*").c_str(), &entry));
    if (!find) return; // unreadable or vanished: nothing to list
    do {
        if (!IsListed(entry)) continue;
        try {
            visit(entry);
        } catch (...) {
            // A failure on one entry skips it; the walk goes on with the next.
        }
    } while (FindNextFileA(find.get(), &entry));
}
} // namespace

bool IsProgramName(const std::string& name) {
    return name.size() >= 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".exe") == 0;
}

namespace {
void Walk(const std::string& folder, const std::function<void(const std::string& path)>& treat,
          EventsBetweenItems& events) {
    // Two listings of the folder rather than a remembered list of its sub-folders: its programs still
    // come before its sub-folders, and each level holds only its one open listing, however wide it is.
    ListFolder(folder, [&](const WIN32_FIND_DATAA& entry) {
        if (!IsFolder(entry) && IsProgramName(entry.cFileName)) treat(folder + entry.cFileName);
        events();
    });
    ListFolder(folder, [&](const WIN32_FIND_DATAA& entry) {
        if (IsFolder(entry) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Walk(folder + entry.cFileName + "\\", treat, events);
    });
}
} // namespace

void WalkPrograms(const std::string& folder, const std::function<void(const std::string& path)>& treat) {
    EventsBetweenItems events;
    Walk(folder, treat, events);
}

} // namespace tsln
