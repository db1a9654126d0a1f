#include "tests/support/test_support.h"
#include "core/app_error.h"
#include "core/mod_main.h"

#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <stdexcept>

namespace testing {

namespace {

RegTreeSnapshot::Node Capture(HKEY key, const std::string& name) {
    RegTreeSnapshot::Node node;
    node.name = name;
    for (DWORD i = 0;; ++i) {
        char valueName[16384];
        DWORD nameLength = sizeof valueName, type = 0, size = 0;
        if (RegEnumValueA(key, i, valueName, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        RegTreeSnapshot::Value value{std::string(valueName, nameLength), type, std::vector<BYTE>(size)};
        DWORD got = size;
        RegQueryValueExA(key, value.name.c_str(), nullptr, &type, value.data.data(), &got);
        value.data.resize(got);
        node.values.push_back(std::move(value));
    }
    for (const std::string& childName : SubkeyNames(key)) {
        tsln::unique_hkey child;
        if (RegOpenKeyExA(key, childName.c_str(), 0, KEY_READ, child.put()) == ERROR_SUCCESS)
            node.children.push_back(Capture(child.get(), childName));
    }
    return node;
}

void Recreate(HKEY parent, const RegTreeSnapshot::Node& node) {
    tsln::unique_hkey key;
    if (RegCreateKeyExA(parent, node.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const auto& v : node.values)
        RegSetValueExA(key.get(), v.name.c_str(), 0, v.type, v.data.data(),
                       static_cast<DWORD>(v.data.size()));
    for (const auto& child : node.children)
        Recreate(key.get(), child);
}

} // namespace

RegTreeSnapshot::RegTreeSnapshot(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
    tsln::unique_hkey key;
    existed_ = RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    if (existed_) node_ = Capture(key.get(), path_);
}

RegTreeSnapshot::~RegTreeSnapshot() {
    DeleteTree(root_, path_);
    if (existed_) Recreate(root_, node_);
}

ReadOnlyKey::ReadOnlyKey(HKEY root, const std::string& path) {
    if (RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL | WRITE_DAC, key_.put()) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open " + path + " to lock it");
    DWORD size = 0;
    RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    saved_.resize(size);
    if (RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
        throw std::runtime_error("cannot read the security of " + path);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;KR;;;WD)", SDDL_REVISION_1,
                                                              &readOnly, nullptr))
        throw std::runtime_error("no read-only security descriptor");
    LONG rc = RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, readOnly);
    LocalFree(readOnly);
    if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot lock " + path);
}

ReadOnlyKey::~ReadOnlyKey() {
    RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data());
}

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    tsln::unique_hkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD length = sizeof name;
        if (RegEnumValueA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

bool KeyExists(HKEY root, const std::string& path, REGSAM view) {
    tsln::unique_hkey key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

void DeleteTree(HKEY root, const std::string& path) {
    SHDeleteKeyA(root, path.c_str());
}

void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
            DWORD size) {
    tsln::unique_hkey key;
    LONG rc = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the key " + path + ": " + std::to_string(rc));
    rc = RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the value " + path + "\\" + name + ": " + std::to_string(rc));
}

void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value,
               DWORD type) {
    // A multi-string brings its own terminators; other texts get one.
    const DWORD size = static_cast<DWORD>(value.size() + (type == REG_MULTI_SZ ? 0 : 1));
    SetRaw(root, path, name, type, value.c_str(), size);
}

void SetBinary(HKEY root, const std::string& path, const std::string& name, const std::vector<BYTE>& data) {
    SetRaw(root, path, name, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

void SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    SetRaw(root, path, name, REG_DWORD, &value, sizeof value);
}

bool ReadRaw(HKEY root, const std::string& path, const std::string& name, DWORD& type,
             std::vector<BYTE>& data, REGSAM view) {
    tsln::unique_hkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    return true;
}

std::string ReadString(HKEY root, const std::string& path, const std::string& name, REGSAM view) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(root, path, name, type, data, view)) return "<missing>";
    std::string text(data.begin(), data.end());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

RegValueSnapshot::RegValueSnapshot(HKEY root, std::string path, std::string name)
    : root_(root), path_(std::move(path)), name_(std::move(name)) {
    existed_ = ReadRaw(root_, path_, name_, type_, data_);
}

RegValueSnapshot::~RegValueSnapshot() {
    if (existed_) {
        SetRaw(root_, path_, name_, type_, data_.data(), static_cast<DWORD>(data_.size()));
        return;
    }
    tsln::unique_hkey key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueA(key.get(), name_.c_str());
}

ScratchKey::ScratchKey(const std::string& name) : path_("Software\\TessalineTests\\" + name) {
    DeleteTree(HKEY_CURRENT_USER, path_);
}

ScratchKey::~ScratchKey() {
    DeleteTree(HKEY_CURRENT_USER, path_);
    // The parent goes too when no other test uses it (RegDeleteKey refuses a key with subkeys).
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TessalineTests");
}

TempDir::TempDir(const std::string& hint) {
    char base[MAX_PATH] = {};
    if (GetTempPathA(sizeof base, base) == 0) throw std::runtime_error("no temporary folder");
    static LONG counter = 0;
    for (int attempt = 0;; ++attempt) {
        path_ = std::string(base) + "tsln-" + hint + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(InterlockedIncrement(&counter));
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
        // A name left by an earlier run is skipped; any other failure would repeat forever.
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 1000)
            throw std::runtime_error("cannot create " + path_);
    }
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA data;
    tsln::unique_find find(FindFirstFileA((path + "\\*").c_str(), &data));
    if (find) {
        do {
            std::string name = data.cFileName;
            if (name != "." && name != "..") RemoveTree(path + "\\" + name);
        } while (FindNextFileA(find.get(), &data));
    }
    find.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    tsln::unique_file file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ReadFileBytes(const std::string& path) {
    tsln::unique_file file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string bytes(GetFileSize(file.get(), nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FileSnapshot::FileSnapshot(std::string path)
    : path_(std::move(path)), existed_(PathExists(path_)), content_(ReadFileBytes(path_)) {}

FileSnapshot::~FileSnapshot() {
    if (existed_) {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteFileBytes(path_, content_);
    } else {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path_.c_str());
    }
}

std::string FileSnapshot::Added() const {
    std::string now = ReadFileBytes(path_);
    if (now.size() < content_.size() || now.compare(0, content_.size(), content_) != 0) return now;
    return now.substr(content_.size());
}

int32_t FailureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const tsln::AppError& e) {
        return e.number;
    }
    return 0;
}

ComScope::ComScope() {
    if (FAILED(CoInitialize(nullptr))) throw std::runtime_error("cannot initialise COM");
}

ComScope::~ComScope() {
    CoUninitialize();
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

namespace {
NOTIFYICONDATAA TrayRecord(HWND hwnd, UINT id) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = hwnd;
    record.uID = id;
    return record;
}
} // namespace

bool IconInTray(HWND hwnd, UINT id) {
    NOTIFYICONDATAA probe = TrayRecord(hwnd, id);
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

bool DropFromTray(HWND hwnd, UINT id) {
    NOTIFYICONDATAA record = TrayRecord(hwnd, id);
    return Shell_NotifyIconA(NIM_DELETE, &record) != FALSE;
}

std::string DistDir() {
    return TSLN_DIST_DIR;
}

std::string UserAppFolder() {
    return tsln::AddBackslash(tsln::UserAppDataFolder()) + "Tessaline";
}

int LayeredAlpha(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return -1;
    return alpha;
}

DistSkin::DistSkin(const std::string& package) : folder_(DistDir() + "\\SKINS") {
    const size_t slash = package.find_last_of('\\');
    path_ = folder_ + "\\" + package.substr(slash == std::string::npos ? 0 : slash + 1);
    madeFolder_ = CreateDirectoryA(folder_.c_str(), nullptr) != FALSE;
    added_ = CopyFileA(package.c_str(), path_.c_str(), TRUE) != FALSE;
    if (!PathExists(path_)) throw std::runtime_error("cannot put the skin " + package + " beside the exe");
}

DistSkin::~DistSkin() {
    if (added_) DeleteFileA(path_.c_str());
    if (madeFolder_) RemoveDirectoryA(folder_.c_str());
}

std::string DistSkin::Name() const {
    const std::string file = path_.substr(path_.find_last_of('\\') + 1);
    return file.substr(0, file.size() - 4);
}

} // namespace testing
