// What the settings tests share: the program's registry places kept as found, a machine root without
// write rights, and a dump of a key tree for before/after comparisons.
#pragma once
#include "tests/support/test_support.h"

#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace settings_test {

extern const char* const kProduct; // below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE
extern const char* const kRunKey;  // below HKEY_CURRENT_USER

// A key below the product key.
inline std::string At(const char* subkey) {
    return std::string(kProduct) + "\\" + subkey;
}

// Restores, at the end of a test, both product trees and the Run key; reports go to a scratch
// application folder so that the tests can see whether anything was reported.
class RegistryGuard {
public:
    RegistryGuard();
    ~RegistryGuard();
    // The program log of this test (absent until something is reported).
    std::string LogPath() const;
    // A user profile on which the program never ran: no product key, no Run value.
    void FreshProfile() const;

private:
    testing::RegTreeSnapshot user_{HKEY_CURRENT_USER, "Software\\Quillfen"};
    testing::RegTreeSnapshot machine_{HKEY_LOCAL_MACHINE, "Software\\Quillfen"};
    testing::RegTreeSnapshot run_{HKEY_CURRENT_USER, kRunKey};
    testing::TempDir appFolder_{"settings"};
    std::string oldAppFolder_;
};

// Every value below a key, by "subkey path|value name", with its type and bytes; keys without values
// appear with an empty name.
using TreeDump = std::map<std::string, std::pair<DWORD, std::vector<BYTE>>>;
TreeDump Dump(HKEY root, const std::string& path);

using testing::ValueNames;

// While it lives, HKEY_LOCAL_MACHINE is a scratch tree that this user may read but not change, as for
// a user without administrator rights: with `withProduct`, a locked tree holding a product key with
// `appPath`; without, a tree in which no key can be made.
class MachineWithoutRights {
public:
    MachineWithoutRights(bool withProduct, const std::string& appPath);
    ~MachineWithoutRights();
    // The scratch tree, below HKEY_CURRENT_USER.
    const std::string& Path() const { return scratch_.Path(); }

private:
    testing::ScratchKey scratch_{"machine"};
    std::vector<tsln::unique_hkey> locked_; // opened with WRITE_DAC before locking, to unlock again
    tsln::unique_hkey readOnly_;
};

DWORD ReadDword(HKEY root, const std::string& path, const std::string& name);

} // namespace settings_test
