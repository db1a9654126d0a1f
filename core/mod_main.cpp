#include "core/mod_main.h"
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/message_box.h"
#include "core/product.h"
#include "core/registry_routines.h"
#include "core/text.h"
#include "core/unique_any.h"
#include "core/units.h"

#include <commctrl.h>
#include <shlobj.h>
#include <cmath>

namespace tsln {

namespace {
std::string gAppFolder;
std::string gHelpFile;

const char* const kFlashDownloadPage = "http://www.macromedia.com/go/getflashplayer";

std::string UpperAnsi(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string ModulePath() {
    char path[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}
} // namespace

const std::string& AppFolder() {
    return gAppFolder;
}
void SetAppFolder(std::string folder) {
    gAppFolder = std::move(folder);
}
const std::string& HelpFile() {
    return gHelpFile;
}
void SetHelpFile(std::string path) {
    gHelpFile = std::move(path);
}

std::string ProgramFolder() {
    std::string path = ModulePath();
    size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return {};
    // A drive's root keeps its backslash ("C:\"), every other folder loses it.
    return slash == 2 && path[1] == ':' ? path.substr(0, 3) : path.substr(0, slash);
}

std::string ExeBaseName() {
    std::string path = ModulePath();
    std::string name = path.substr(path.find_last_of('\\') + 1);
    if (name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".exe") == 0)
        name.resize(name.size() - 4);
    return name;
}

std::string AddBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + "\\";
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteAll(HANDLE file, const void* data, size_t size) {
    DWORD written = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr))
        throw Win32Failure(GetLastError(), __LINE__);
    if (written != size) throw Win32Failure(ERROR_HANDLE_DISK_FULL, __LINE__);
}

std::string OSVersionName(DWORD major, DWORD platformId, DWORD minor) {
    switch (major) {
    case 3:
        return platformId == VER_PLATFORM_WIN32_NT ? "Windows NT 3.x" : "Windows 3.x";
    case 4:
        if (platformId == VER_PLATFORM_WIN32_NT) return "Windows NT 4.0";
        if (minor == 0) return "Windows 95";
        if (minor == 90) return "Windows ME";
        return "Windows 98";
    case 5:
        return minor == 0 ? "Windows 2000" : "Windows XP";
    default:
        return "Unknown Windows Version";
    }
}

std::string OSVersion() {
    try {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info; // the 148-byte record
        if (!GetVersionExA(&info)) throw Win32Failure(GetLastError(), __LINE__);
        return OSVersionName(info.dwMajorVersion, info.dwPlatformId, info.dwMinorVersion);
    } catch (...) {
        HandleFailure("Tessaline.modMain.OSVersion", kShown);
        return {};
    }
}

std::string ArgumentText(const std::string& commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t')
            ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t'))
        ++i;
    return commandLine.substr(i);
}

std::string SpecialFolderPath(int csidl) {
    unique_cotaskmem<ITEMIDLIST> idList;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, idList.put())) || !idList) return {};
    char path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListA(idList.get(), path)) return {};
    return TrimSpaces(CutAtNul(std::string(path, sizeof path)));
}

std::string UserAppDataFolder() {
    return SpecialFolderPath(CSIDL_APPDATA);
}

void CenterOverMain(HWND dialog, HWND mainWindow) {
    // Every step that fails is skipped; a value that cannot be read counts as 0.
    RECT main = {}, client = {}, box = {};
    GetWindowRect(mainWindow, &main);
    GetClientRect(mainWindow, &client);
    GetWindowRect(dialog, &box);
    const int tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    auto half = [](long long inner, long long outer) { return (inner - outer) / 2; }; // towards zero
    long long top =
        static_cast<long long>(main.top) * ty +
        half(static_cast<long long>(client.bottom) * ty, static_cast<long long>(box.bottom - box.top) * ty);
    long long left =
        static_cast<long long>(main.left) * tx +
        half(static_cast<long long>(client.right) * tx, static_cast<long long>(box.right - box.left) * tx);
    SetWindowPos(dialog, nullptr, static_cast<int>(left / tx), static_cast<int>(top / ty), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CheckPrerequisites(const std::string& playerClassId) {
    try {
        std::string os = OSVersion();
        if (os != "Windows XP" && os != "Windows 2000") {
            ReportError("This software was designed for Windows XP only.\r\n"
                        "It does not run on any other Windows Operating System!",
                        kShown);
            return false;
        }

        bool playerRegistered = false;
        try {
            RegistryRoutines reg;
            reg.SetHkey(HKEY_LOCAL_MACHINE);
            reg.SetKeyRoot("SOFTWARE\\Classes\\CLSID");
            reg.SetSubkey(playerClassId);
            playerRegistered = !playerClassId.empty() && reg.KeyExists();
        } catch (...) {
            // A failed registry test counts as a missing key.
        }
        if (!playerRegistered) {
            ProductBox(std::string("To use this program you need Flash plug-in from Macromedia.\r\n"
                                   "You can download Flash from ") +
                           kFlashDownloadPage,
                       MB_OK | MB_ICONINFORMATION);
            return false;
        }

        std::string library = AddBackslash(ProgramFolder()) + "tsln.dll";
        if (!FileExists(library)) {
            ReportError("FATAL ERROR - the file \r\n" + UpperAnsi(library) +
                            "\r\ndoes not exist. You need to reinstall this application!",
                        kShown);
            return false;
        }
        return true;
    } catch (...) {
        // Every failure inside the checks is ignored; a check that could not run counts as failed.
        return false;
    }
}

void RemoveProgramData() {
    // Deepest first: a key that still has subkeys cannot be deleted.
    const std::string product = std::string(kProductKey) + "\\";
    const std::string userKeys[] = {
        product + kBootListSubkey,
        product + kBootsSubkey,
        product + kLogonListSubkey,
        product + kLogonsSubkey,
        product + kWallpaperListSubkey,
        product + kWallpapersSubkey,
        product + kSettingsSubkey,
        kProductKey,
        kMakerKey,
    };
    RegistryRoutines reg;
    reg.SetHkey(HKEY_CURRENT_USER);
    for (const std::string& key : userKeys)
        reg.DeleteSubkey(key); // the maker's key goes only when empty
    reg.SetHkey(HKEY_LOCAL_MACHINE);
    reg.DeleteSubkey(kProductKey);
    reg.DeleteSubkey(kMakerKey);

    try {
        reg.SetKeyRoot("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
        reg.SetSubkey("Winlogon");
        reg.CreateKey();
        std::string uiHost = reg.GetRegistryValue("UIHost", std::string()).AsText();
        if (uiHost.find(ProgramFolder()) != std::string::npos) {
            if (!reg.SetRegistryValue("UIHost", std::string("LOGONUI.EXE"), REG_SZ))
                ProductBox("Error occured when trying to set the default LogonUI\r\n"
                           "To change LogonUI you must be logged in as administrator!",
                           MB_OK | MB_ICONERROR);
        }
    } catch (...) {
        // The clean-up goes on; nothing else is reported.
    }
}

int Main(HINSTANCE instance, const std::string& argumentText, const StartupParts& parts) {
    try {
        if (argumentText == "-utsln") RemoveProgramData();
    } catch (...) {
        // Every failure of the clean-up is ignored.
    }
    if (argumentText == "-utsln") return kExitNormal;

    try {
        const std::string appData = UserAppDataFolder();
        SetAppFolder(AddBackslash(appData) + kProductTitle + "\\");
        // A file standing where the folder should be counts as existing. Without a per-user folder the
        // path would name the current drive's root, so that counts as a folder that cannot be created.
        std::string folder = AppFolder().substr(0, AppFolder().size() - 1);
        if (appData.empty() || (!FileExists(folder) && !CreateDirectoryA(folder.c_str(), nullptr))) {
            DWORD error = appData.empty() ? ERROR_PATH_NOT_FOUND : GetLastError();
            ProductBox("Cannot create application folder in: \r\n" + AppFolder() + "\r\n" +
                           SystemErrorText(error),
                       MB_OK | MB_ICONERROR);
            return kExitRefused;
        }

        if (!CheckPrerequisites(parts.playerClassId)) return kExitRefused;

        InitCommonControls();

        {
            unique_handle running(OpenMutexA(SYNCHRONIZE, FALSE, kProductTitle));
            if (running) {
                ProductBox(std::string(kProductTitle) +
                               "  is allready running!\r\nLook for TSLN icon is System Tray.",
                           MB_OK | MB_ICONINFORMATION);
                return kExitRefused;
            }
        }

        // Held for the life of the process: the handle is deliberately never closed.
        SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
        CreateMutexA(&security, TRUE, kProductTitle);

        SetHelpFile(AddBackslash(ProgramFolder()) + "help.chm");

        parts.loadAgent(instance, argumentText);
        return kRunAgent;
    } catch (...) {
        HandleFailure("Tessaline.modMain.Main", kShown);
        return kExitRefused;
    }
}

} // namespace tsln
