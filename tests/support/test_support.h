// Helpers that let tests use the real registry, files and message boxes and leave them as they found them.
#pragma once
#include "core/unique_any.h"
#include "tests/support/box_driver.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing {

// A registry key tree captured with all its values, and put back exactly (or removed, when it did not
// exist) when the snapshot goes.
class RegTreeSnapshot {
public:
    RegTreeSnapshot(HKEY root, std::string path);
    ~RegTreeSnapshot();
    RegTreeSnapshot(const RegTreeSnapshot&) = delete;
    RegTreeSnapshot& operator=(const RegTreeSnapshot&) = delete;

    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    struct Node {
        std::string name;
        std::vector<Value> values;
        std::vector<Node> children;
    };

private:
    HKEY root_;
    std::string path_;
    bool existed_ = false;
    Node node_;
};

// One registry value captured (or its absence) and put back exactly when the snapshot goes.
class RegValueSnapshot {
public:
    RegValueSnapshot(HKEY root, std::string path, std::string name);
    ~RegValueSnapshot();
    RegValueSnapshot(const RegValueSnapshot&) = delete;
    RegValueSnapshot& operator=(const RegValueSnapshot&) = delete;

private:
    HKEY root_;
    std::string path_;
    std::string name_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// While it lives, a key that everyone may read and no one may change, as a machine key is for a user
// without administrator rights; its own security comes back at the end. Throws when it cannot lock.
class ReadOnlyKey {
public:
    ReadOnlyKey(HKEY root, const std::string& path);
    ~ReadOnlyKey();
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

private:
    tsln::unique_hkey key_;
    std::vector<BYTE> saved_;
};

// A fresh key HKCU\Software\TessalineTests\<name>, deleted with everything below it at the end.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& name);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::string& Path() const { return path_; } // below HKEY_CURRENT_USER

private:
    std::string path_;
};

// Registry views: a 32-bit program on 64-bit Windows sees HKLM\Software redirected to a view of its own.
// kOwnView is the view of this flavour's programs, kOtherView the other flavour's; on 32-bit Windows
// both flags are ignored and there is one registry.
constexpr REGSAM kOwnView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0);
// The names of a key's subkeys, and of the values below a key, in the order the registry enumerates them.
std::vector<std::string> SubkeyNames(HKEY key);
std::vector<std::string> ValueNames(HKEY root, const std::string& path);
void DeleteTree(HKEY root, const std::string& path);
// Setup: each creates the key when missing and writes the value; a failure to do so raises
// std::runtime_error, so that a test never runs on a setup that did not happen.
void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
            DWORD size);
void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value,
               DWORD type = REG_SZ);
void SetBinary(HKEY root, const std::string& path, const std::string& name, const std::vector<BYTE>& data);
void SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
// The raw stored bytes and type of a value; false when missing.
bool ReadRaw(HKEY root, const std::string& path, const std::string& name, DWORD& type,
             std::vector<BYTE>& data, REGSAM view = 0);
// The text of a string value, or "<missing>".
std::string ReadString(HKEY root, const std::string& path, const std::string& name, REGSAM view = 0);

// A new empty folder under the temporary folder, removed with its content at the end; raises
// std::runtime_error when none can be made.
class TempDir {
public:
    explicit TempDir(const std::string& hint = "t");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; } // without a trailing "\"
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void RemoveTree(const std::string& path);
// Writes the whole file; false when it could not.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file; empty when missing.
std::string ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);

// A file's content (or absence) captured and restored at the end.
class FileSnapshot {
public:
    explicit FileSnapshot(std::string path);
    ~FileSnapshot();
    FileSnapshot(const FileSnapshot&) = delete;
    FileSnapshot& operator=(const FileSnapshot&) = delete;
    // What was added to the file since the snapshot (the file only grows here).
    std::string Added() const;

private:
    std::string path_;
    bool existed_;
    std::string content_;
};

// COM initialised for this thread as a single-threaded apartment while it lives; raises
// std::runtime_error when it cannot be.
class ComScope {
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

// The number of the AppError that `action` raises; 0 when it raises none.
int32_t FailureNumber(const std::function<void()>& action);

// Runs this thread's messages until `done` holds; false when it still does not after `limitMs` (a safety
// net against a hang, never a measurement).
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 30000);

// Whether the shell's tray holds the icon `id` of `hwnd`: the shell changes only icons it holds.
bool IconInTray(HWND hwnd, UINT id = 1);
// The shell forgets that icon, as when it restarts; false when it held none.
bool DropFromTray(HWND hwnd, UINT id = 1);

// The dist folder of the build (where Tessaline.exe and its components are).
std::string DistDir();

// A window's layered alpha, -1 when it has none.
int LayeredAlpha(HWND window);

// The program's registry trees (both product keys and the Run key), restored at the end.
struct ProductKeys {
    RegTreeSnapshot user{HKEY_CURRENT_USER, "Software\\Quillfen"};
    RegTreeSnapshot machine{HKEY_LOCAL_MACHINE, "Software\\Quillfen"};
    RegTreeSnapshot run{HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"};
};

// Puts the skin package `package` into the SKINS folder beside the exe under test (dist\SKINS), making
// the folder when it is missing, and removes what it added at the end. The package's file and skin name
// is kept.
class DistSkin {
public:
    explicit DistSkin(const std::string& package);
    ~DistSkin();
    DistSkin(const DistSkin&) = delete;
    DistSkin& operator=(const DistSkin&) = delete;
    // The skin's name (the package's file name without ".csk").
    std::string Name() const;
    const std::string& Path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
    bool madeFolder_ = false;
    bool added_ = false;
};
// The per-user application folder the program uses: %APPDATA%\Tessaline (without "\").
std::string UserAppFolder();

} // namespace testing
