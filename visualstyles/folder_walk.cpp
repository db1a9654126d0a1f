#include "visualstyles/folder_walk.h"
#include "core/unique_any.h"
#include "core/window.h"
#include "visualstyles/manifest.h"

#include <windows.h>
#include <algorithm>
#include <vector>

namespace tsln {

namespace {
const char kManifestExtension[] = ".MANIFEST";
constexpr size_t kManifestExtensionSize = sizeof kManifestExtension - 1;

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Plain ASCII letters fold the same way for every file system; other bytes (and the "?" that stands for a
// character the code page lacks) are left to the file system itself.
bool IsPlainName(const char* name) {
    for (const char* c = name; *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x80 || *c == '?') return false;
    return true;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

struct Entry {
    std::string name;
    DWORD attributes;
};

// One listing of a folder: its entries (system ones left out) and the names of the manifest files in it,
// which stand for one file test per program.
class FolderListing {
public:
    explicit FolderListing(const std::string& folder) : folder_(folder) {
        WIN32_FIND_DATAA entry;
        unique_find find(FindFirstFileA((folder + "*").c_str(), &entry));
        if (!find) return; // unreadable or vanished: nothing to list
        do {
            if (IsDots(entry.cFileName)) continue;
            // A manifest counts whatever its attributes, as a file test would find it.
            if (!IsPlainName(entry.cFileName))
                plain_ = false;
            else if (EndsInManifest(entry.cFileName))
                manifests_.push_back(Upper(entry.cFileName));
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM))
                entries_.push_back({entry.cFileName, entry.dwFileAttributes});
        } while (FindNextFileA(find.get(), &entry));
        // A listing cut short may lack a manifest that is there.
        if (GetLastError() != ERROR_NO_MORE_FILES) plain_ = false;
        std::sort(manifests_.begin(), manifests_.end());
    }

    const std::vector<Entry>& Entries() const { return entries_; }

    bool HasManifest(const std::string& name) const {
        const std::string path = folder_ + name;
        // Near the path limit the file test may not see what the listing shows: its answer is the one.
        if (!plain_ || path.size() + kManifestExtensionSize >= MAX_PATH) return tsln::HasManifest(path);
        return std::binary_search(manifests_.begin(), manifests_.end(), Upper(name) + kManifestExtension);
    }

private:
    static bool EndsInManifest(const char* name) {
        const size_t size = lstrlenA(name);
        if (size < kManifestExtensionSize) return false;
        const char* tail = name + size - kManifestExtensionSize;
        for (size_t i = 0; i < kManifestExtensionSize; ++i)
            if ((tail[i] >= 'a' && tail[i] <= 'z' ? tail[i] - 'a' + 'A' : tail[i]) != kManifestExtension[i])
                return false;
        return true;
    }

    std::string folder_;
    std::vector<Entry> entries_;
    std::vector<std::string> manifests_; // in upper case, sorted
    bool plain_ = true;                  // every name could be compared here
};

bool IsFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void Walk(const std::string& folder, const TreatProgram& treat, EventsBetweenItems& events) {
    // Only the sub-folders outlive the listing, so that memory grows with the depth of the tree.
    std::vector<std::string> subFolders;
    {
        const FolderListing listing(folder);
        for (const Entry& entry : listing.Entries()) {
            try {
                if (IsFolder(entry.attributes)) {
                    if (!(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) subFolders.push_back(entry.name);
                } else if (IsProgramName(entry.name)) {
                    treat(folder + entry.name, listing.HasManifest(entry.name));
                }
            } catch (...) {
                // A failure on one entry skips it; the walk goes on with the next.
            }
            events();
        }
    }
    for (const std::string& name : subFolders) {
        try {
            Walk(folder + name + "\\", treat, events);
        } catch (...) {
            // A folder that cannot be walked is skipped like any other entry.
        }
    }
}
} // namespace

bool IsProgramName(const std::string& name) {
    return name.size() >= 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".exe") == 0;
}

void WalkPrograms(const std::string& folder, const TreatProgram& treat) {
    EventsBetweenItems events;
    Walk(folder, treat, events);
}

void WalkPrograms(const std::string& folder, const std::function<void(const std::string& path)>& treat) {
    WalkPrograms(folder, [&](const std::string& path, bool) { treat(path); });
}

} // namespace tsln
