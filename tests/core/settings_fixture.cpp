#include "tests/core/settings_fixture.h"
#include "core/mod_main.h"

#include <sddl.h>
#include <doctest.h>

namespace settings_test {

const char* const kProduct = "Software\\Quillfen\\Tessaline";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

RegistryGuard::RegistryGuard() : oldAppFolder_(tsln::AppFolder()) {
    tsln::SetAppFolder(appFolder_.Path() + "\\");
}

RegistryGuard::~RegistryGuard() {
    tsln::SetAppFolder(oldAppFolder_);
}

std::string RegistryGuard::LogPath() const {
    return tsln::AppFolder() + tsln::ExeBaseName() + ".log";
}

void RegistryGuard::FreshProfile() const {
    testing::DeleteTree(HKEY_CURRENT_USER, kProduct);
    tsln::unique_hkey run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, run.put()) == ERROR_SUCCESS)
        RegDeleteValueA(run.get(), "Tessaline");
}

namespace {
void DumpInto(HKEY key, const std::string& prefix, TreeDump& dump) {
    bool any = false;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        std::string valueName(name, nameLength);
        RegQueryValueExA(key, valueName.c_str(), nullptr, &type, data.data(), &size);
        data.resize(size);
        dump[prefix + "|" + valueName] = {type, data};
        any = true;
    }
    if (!any) dump[prefix + "|"] = {REG_NONE, {}};
    for (const std::string& child : testing::SubkeyNames(key)) {
        tsln::unique_hkey sub;
        if (RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, sub.put()) == ERROR_SUCCESS)
            DumpInto(sub.get(), prefix + "\\" + child, dump);
    }
}

// Only reading: creating keys and setting values is refused from then on.
const char* const kReadOnlyDacl = "D:P(A;OICI;KR;;;WD)";
const char* const kOpenDacl = "D:P(A;OICI;GA;;;WD)";

void SetDacl(HKEY key, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    REQUIRE(
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    LONG rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    REQUIRE(rc == ERROR_SUCCESS);
}
void SetDaclQuietly(HKEY key, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
    }
}

void UnlockBelow(HKEY root, const std::string& path) {
    tsln::unique_hkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | WRITE_DAC, key.put()) != ERROR_SUCCESS) return;
    SetDaclQuietly(key.get(), kOpenDacl);
    for (const auto& child : testing::SubkeyNames(key.get()))
        UnlockBelow(root, path + "\\" + child);
}
} // namespace

TreeDump Dump(HKEY root, const std::string& path) {
    TreeDump dump;
    tsln::unique_hkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        DumpInto(key.get(), "", dump);
    return dump;
}

DWORD ReadDword(HKEY root, const std::string& path, const std::string& name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    REQUIRE(testing::ReadRaw(root, path, name, type, data));
    REQUIRE(type == REG_DWORD);
    REQUIRE(data.size() == 4);
    DWORD value;
    memcpy(&value, data.data(), 4);
    return value;
}

MachineWithoutRights::MachineWithoutRights(bool withProduct, const std::string& appPath) {
    if (!withProduct) {
        // Where keys do not inherit a lock, a key that no longer exists refuses every new key and value
        // below it, as a machine hive does to a user without rights.
        const std::string gone = scratch_.Path() + "\\gone";
        REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, gone.c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                                readOnly_.put(), nullptr) == ERROR_SUCCESS);
        REQUIRE(RegDeleteKeyA(HKEY_CURRENT_USER, gone.c_str()) == ERROR_SUCCESS);
        REQUIRE(RegOverridePredefKey(HKEY_LOCAL_MACHINE, readOnly_.get()) == ERROR_SUCCESS);
        return;
    }
    testing::SetString(HKEY_CURRENT_USER, scratch_.Path() + "\\" + kProduct, "AppPath", appPath);
    for (const auto& path : {scratch_.Path(), scratch_.Path() + "\\Software",
                             scratch_.Path() + "\\Software\\Quillfen", scratch_.Path() + "\\" + kProduct}) {
        tsln::unique_hkey key;
        REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | WRITE_DAC,
                                nullptr, key.put(), nullptr) == ERROR_SUCCESS);
        SetDacl(key.get(), kReadOnlyDacl);
        locked_.push_back(std::move(key));
    }
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, scratch_.Path().c_str(), 0, KEY_READ, readOnly_.put()) ==
            ERROR_SUCCESS);
    REQUIRE(RegOverridePredefKey(HKEY_LOCAL_MACHINE, readOnly_.get()) == ERROR_SUCCESS);
}

MachineWithoutRights::~MachineWithoutRights() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    for (auto& key : locked_)
        SetDaclQuietly(key.get(), kOpenDacl);
    // Keys made below the locked ones inherited the lock; their owner may still unlock them.
    UnlockBelow(HKEY_CURRENT_USER, scratch_.Path());
}

} // namespace settings_test
