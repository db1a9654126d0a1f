#include "rotation/apply_logon.h"
#include "core/mod_main.h"
#include "core/registry_routines.h"
#include "core/unique_any.h"
#include "shellutil/file_version_info.h"

#include <windows.h>

namespace tsln {

namespace {
bool EndsWithNoCase(const std::string& name, const char* ending) {
    const size_t length = lstrlenA(ending);
    return name.size() >= length && lstrcmpiA(name.c_str() + name.size() - length, ending) == 0;
}
} // namespace

bool IsLogonScreen(const std::string& path) {
    CFileVersionInfo info;
    info.SetFullPathName(path);
    return lstrcmpiA(info.OriginalFilename().c_str(), "logonui.exe") == 0;
}

bool WriteUIHost(const std::string& program) {
    RegistryRoutines winlogon;
    winlogon.SetHkey(HKEY_LOCAL_MACHINE);
    winlogon.SetKeyRoot("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    winlogon.SetSubkey("Winlogon");
    if (!winlogon.KeyExists()) winlogon.CreateKey();
    return winlogon.SetRegistryValue("UIHost", RegValue(program), REG_SZ);
}

std::string FindScreenshot(const std::string& folder) {
    const std::string base = AddBackslash(folder);
    WIN32_FIND_DATAA entry;
    unique_find find(FindFirstFileA((base + "*").c_str(), &entry));
    if (!find) return {};
    do {
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM)) continue;
        const std::string name = entry.cFileName;
        if (EndsWithNoCase(name, ".gif") || EndsWithNoCase(name, ".jpg")) return base + name;
    } while (FindNextFileA(find.get(), &entry));
    return {};
}

} // namespace tsln
