#include "visualstyles/mod_visual_support.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/registry_routines.h"
#include "visualstyles/folder_walk.h"

#include <windows.h>

namespace tsln {

namespace {
// Walks the folder `path`, or the Program Files folder when `path` is empty.
void WalkFolder(const std::string& path, const TreatProgram& treat) {
    std::string folder = path.empty() ? GetProgFilesDir() : path;
    // Without a Program Files folder the walk would start at the root of the current drive.
    if (folder.empty()) return;
    WalkPrograms(AddBackslash(folder), treat);
}
} // namespace

void AddVisualStyles(bool single, const std::string& path, const ShowPath& show) {
    if (single) return CreateManifest(path, show);
    WalkFolder(path, [&](const std::string& program, bool) { CreateManifest(program, show); });
}

void RemoveVisualStyles(bool single, const std::string& path, const ShowPath& show) {
    if (single) return DeleteManifest(path, show);
    WalkFolder(path, [&](const std::string& program, bool hasManifest) {
        DeleteManifest(program, hasManifest, show);
    });
}

std::string GetProgFilesDir() {
    try {
        RegistryRoutines reg;
        reg.SetHkey(HKEY_LOCAL_MACHINE);
        reg.SetKeyRoot("Software\\Microsoft\\Windows");
        reg.SetSubkey("CurrentVersion");
        // The reader answers "Error!" for a missing key; that is no folder.
        if (!reg.KeyExists()) return {};
        return CutAtNull(reg.GetRegistryValue("ProgramFilesDir", RegValue(std::string())).AsText());
    } catch (...) {
        HandleFailure("Tessaline.modVisualSupport.GetProgFilesDir", kShown);
        return {};
    }
}

} // namespace tsln
