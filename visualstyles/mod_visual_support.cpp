#include "visualstyles/mod_visual_support.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/registry_routines.h"
#include "visualstyles/folder_walk.h"

#include <windows.h>

namespace tsln {

namespace {
using Treat = void (*)(const std::string& path, const ShowPath& show);

void Apply(bool single, const std::string& path, const ShowPath& show, Treat treat) {
    if (single) {
        treat(path, show);
        return;
    }
    std::string folder = path.empty() ? GetProgFilesDir() : path;
    // Without a Program Files folder the walk would start at the root of the current drive.
    if (folder.empty()) return;
    WalkPrograms(AddBackslash(folder), [&](const std::string& program) { treat(program, show); });
}
} // namespace

void AddVisualStyles(bool single, const std::string& path, const ShowPath& show) {
    Apply(single, path, show, &CreateManifest);
}

void RemoveVisualStyles(bool single, const std::string& path, const ShowPath& show) {
    Apply(single, path, show, &DeleteManifest);
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
