// The Program Files folder as the machine's registry names it, and the walk that starts there.
#include "core/unique_any.h"
#include "tests/visualstyles/visualstyles_fixture.h"
#include "visualstyles/mod_visual_support.h"

#include <doctest.h>

using namespace tsln;

namespace {
const char* const kVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kValue = "ProgramFilesDir";

// The machine's "ProgramFilesDir" value, put back exactly (type and bytes) when the test ends.
class ProgramFilesValue {
public:
    ProgramFilesValue() {
        existed_ = testing::ReadRaw(HKEY_LOCAL_MACHINE, kVersionKey, kValue, type_, data_);
    }
    ~ProgramFilesValue() {
        unique_hkey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
            return;
        if (existed_)
            RegSetValueExA(key.get(), kValue, 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        else
            RegDeleteValueA(key.get(), kValue);
    }
    void Set(const std::string& text, DWORD type = REG_SZ) {
        testing::SetString(HKEY_LOCAL_MACHINE, kVersionKey, kValue, text, type);
    }
    void Remove() {
        unique_hkey key;
        REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS);
        RegDeleteValueA(key.get(), kValue);
    }

private:
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// HKEY_LOCAL_MACHINE redirected to an empty scratch key for the length of a test.
class MachineKeyRedirected {
public:
    MachineKeyRedirected() : scratch_("vsmachine") {
        REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, scratch_.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key_.put(), nullptr) == ERROR_SUCCESS);
        REQUIRE(RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_.get()) == ERROR_SUCCESS);
    }
    ~MachineKeyRedirected() { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }

private:
    testing::ScratchKey scratch_;
    unique_hkey key_;
};
} // namespace

TEST_CASE("the Program Files folder is the machine's ProgramFilesDir value") {
    std::string stored = testing::ReadString(HKEY_LOCAL_MACHINE, kVersionKey, kValue);
    REQUIRE_FALSE(stored.empty());
    CHECK(GetProgFilesDir() == stored);
    // The folder of this flavour's programs: on 64-bit Windows the 64-bit one, not "Program Files (x86)".
    CHECK(GetProgFilesDir() ==
          testing::ReadString(HKEY_LOCAL_MACHINE, kVersionKey, kValue, testing::kOwnView));
#ifdef _WIN64
    CHECK(GetProgFilesDir().find("(x86)") == std::string::npos);
#endif

    testing::BoxWatcher boxes;
    ProgramFilesValue value;
    SUBCASE("a text cut at its first NUL") {
        value.Set(std::string("D:\\Apps\0junk", 12));
        CHECK(GetProgFilesDir() == "D:\\Apps");
    }
    SUBCASE("an expandable text, expanded") {
        value.Set("%SystemDrive%\\Apps", REG_EXPAND_SZ);
        CHECK(GetProgFilesDir() == "C:\\Apps");
    }
    SUBCASE("a missing value gives an empty folder") {
        value.Remove();
        CHECK(GetProgFilesDir() == "");
    }
    SUBCASE("an empty value gives an empty folder") {
        value.Set("");
        CHECK(GetProgFilesDir() == "");
    }
    CHECK(boxes.Seen().empty());
}

TEST_CASE("a missing key gives an empty folder") {
    testing::BoxWatcher boxes;
    MachineKeyRedirected redirected;
    CHECK(GetProgFilesDir() == "");
    CHECK(boxes.Seen().empty());
}

TEST_CASE("an empty folder path walks the Program Files folder") {
    vstest::Workspace ws;
    vstest::MakeFile(ws.programs / "app.exe");
    vstest::MakeFolder(ws.programs / "Vendor");
    vstest::MakeFile(ws.programs / "Vendor\\tool.exe");
    ProgramFilesValue value;
    value.Set(ws.programs.Path());

    vstest::ShownPaths shown;
    AddVisualStyles(false, "", shown.Callback());
    CHECK(shown.paths.size() == 2);
    CHECK(HasManifest(ws.programs / "app.exe"));
    CHECK(HasManifest(ws.programs / "Vendor\\tool.exe"));

    RemoveVisualStyles(false, "", shown.Callback());
    CHECK(shown.paths.size() == 4);
    CHECK_FALSE(HasManifest(ws.programs / "app.exe"));
    CHECK_FALSE(HasManifest(ws.programs / "Vendor\\tool.exe"));
}

TEST_CASE("without a Program Files folder the folder mode does nothing") {
    vstest::Workspace ws;
    vstest::ShownPaths shown;
    {
        MachineKeyRedirected redirected;
        AddVisualStyles(false, "", shown.Callback());
        RemoveVisualStyles(false, "", shown.Callback());
    }
    ProgramFilesValue value;
    value.Remove();
    AddVisualStyles(false, "", shown.Callback());
    CHECK(shown.paths.empty());
    CHECK_FALSE(testing::PathExists(ws.ProgramsLog()));
}
