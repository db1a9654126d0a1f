// Self-registration of the movie player (regsvr32-compatible).
#include "core/unique_any.h"
#include "movie/player_contract.h"
#include "movie/player_module.h"

#include <windows.h>
#include <string>

namespace {

const char* const kClsidKey = "SOFTWARE\\Classes\\CLSID\\" TSLN_PLAYER_CLSID_TEXT;
const char* const kProgIdKey = "SOFTWARE\\Classes\\" TSLN_PLAYER_PROGID;

LONG SetText(HKEY root, const std::string& path, const char* name, const std::string& value) {
    tsln::unique_hkey key;
    LONG rc = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                              key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

std::string ModulePath() {
    char path[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameA(tsln::player::Module(), path, sizeof path);
    return std::string(path, length);
}

HRESULT Unregister() {
    // Deepest first: a key that still has subkeys cannot be deleted.
    const std::string clsid = kClsidKey;
    const std::string progId = kProgIdKey;
    const std::string keys[] = {clsid + "\\InprocServer32", clsid + "\\ProgID", clsid, progId + "\\CLSID",
                                progId};
    for (const std::string& key : keys) {
        LONG rc = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}

HRESULT Register() {
    const std::string clsid = kClsidKey;
    const LONG results[] = {
        SetText(HKEY_LOCAL_MACHINE, clsid, nullptr, "Tessaline Movie Player"),
        SetText(HKEY_LOCAL_MACHINE, clsid + "\\InprocServer32", nullptr, ModulePath()),
        SetText(HKEY_LOCAL_MACHINE, clsid + "\\InprocServer32", "ThreadingModel", "Apartment"),
        SetText(HKEY_LOCAL_MACHINE, clsid + "\\ProgID", nullptr, TSLN_PLAYER_PROGID),
        SetText(HKEY_LOCAL_MACHINE, kProgIdKey, nullptr, "Tessaline Movie Player"),
        SetText(HKEY_LOCAL_MACHINE, std::string(kProgIdKey) + "\\CLSID", nullptr, TSLN_PLAYER_CLSID_TEXT),
    };
    for (LONG rc : results) {
        if (rc != ERROR_SUCCESS) {
            Unregister(); // leave no half registration behind
            return HRESULT_FROM_WIN32(rc);
        }
    }
    return S_OK;
}

} // namespace

extern "C" HRESULT WINAPI DllRegisterServer() {
    try {
        return Register();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    try {
        return Unregister();
    } catch (...) {
        return E_UNEXPECTED;
    }
}
