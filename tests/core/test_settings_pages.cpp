// Filling and storing the main window's page controls, with a real window of real controls.
#include "core/app_error.h"
#include "core/clsSetari.h"
#include "tests/core/settings_fixture.h"
#include "tests/core/test_form.h"

#include <doctest.h>

using namespace tsln;
using namespace settings_test;
using testing::ReadString;
using testing::SetDword;
using testing::SetString;

namespace {
const HKEY H = HKEY_CURRENT_USER;

bool On(TestForm& form, const char* name, int index) {
    return form.Find(name, index).Value();
}

using Clicks = std::vector<std::pair<std::string, bool>>;
} // namespace

TEST_CASE("other windows and pages without stored controls change nothing") {
    RegistryGuard guard;
    clsSetari settings;
    settings.SetSound(0);
    settings.SetTranspStartMenu(1);
    settings.SetWOtherFiles({"a", "b"});
    SetString(H, kRunKey, "Tessaline", "C:\\Other\\Tessaline.exe -s"); // a read of Autostart would drop it

    TestForm dialog("frmChange");
    dialog.Find("chkProgram", 1).SetValue(true);
    dialog.Find("optOrder", 2).SetValue(true);
    dialog.ClearClicks();
    const TreeDump registry = Dump(H, kProduct);
    const std::string controls = dialog.State();
    for (int page = -1; page <= 6; ++page) {
        settings.ReadSettings(dialog, page);
        settings.SaveSettings(dialog, page);
    }
    CHECK(dialog.State() == controls);
    CHECK(dialog.Clicks().empty());
    CHECK(Dump(H, kProduct) == registry);
    CHECK(ReadString(H, kRunKey, "Tessaline") == "C:\\Other\\Tessaline.exe -s");

    TestForm main("frmMain");
    const std::string mainControls = main.State();
    for (int page : {1, 5, 6, -1}) {
        settings.ReadSettings(main, page);
        settings.SaveSettings(main, page);
    }
    CHECK(main.State() == mainControls);
    CHECK(main.Clicks().empty());
    CHECK(Dump(H, kProduct) == registry);
    CHECK(ReadString(H, kRunKey, "Tessaline") == "C:\\Other\\Tessaline.exe -s");
}

TEST_CASE("page 0: level and the two transparency boxes") {
    RegistryGuard guard;
    clsSetari settings;
    TestForm form("frmMain");

    SetDword(H, At("Settings"), "TranspLevel", 120);
    SetDword(H, At("Settings"), "TranspStartMenu", 1);
    SetDword(H, At("Settings"), "TranspTaskbar", 0);
    settings.ReadSettings(form, 0);
    CHECK(form.LevelVAL() == 120);
    CHECK(On(form, "chkTaskTransp", 0));
    CHECK_FALSE(On(form, "chkTaskTransp", 1));
    // Filled while the page is hidden: the clicks raised find their control not shown.
    CHECK(form.Clicks() == Clicks{{"chkTaskTransp(0)", false}});

    SetDword(H, At("Settings"), "TranspLevel", 50);
    settings.ReadSettings(form, 0);
    CHECK(form.LevelVAL() == 230);

    // The user changes the page, then it is stored.
    form.ShowPage(0, true);
    form.Level().SetText("231");
    ClickAsUser(form.Find("chkTaskTransp", 0));
    ClickAsUser(form.Find("chkTaskTransp", 1));
    settings.SaveSettings(form, 0);
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 230);
    CHECK(ReadDword(H, At("Settings"), "TranspStartMenu") == 0);
    CHECK(ReadDword(H, At("Settings"), "TranspTaskbar") == 1);

    form.Level().SetText("76");
    settings.SaveSettings(form, 0);
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 76);
}

TEST_CASE("page 2: default logon screen and the order buttons") {
    RegistryGuard guard;
    clsSetari settings;
    TestForm form("frmMain");

    SetDword(H, At("Logons"), "Default", 1);
    SetDword(H, At("Logons"), "Sort", 0);
    settings.ReadSettings(form, 2);
    CHECK(On(form, "chkDefault", 2));
    CHECK_FALSE(On(form, "optOrder", 0));
    CHECK(On(form, "optOrder", 1));
    // Top to bottom; "alphabetical" set off raises nothing, "randomize" set on does.
    CHECK(form.Clicks() == Clicks{{"chkDefault(2)", false}, {"optOrder(1)", false}});

    form.ClearClicks();
    SetDword(H, At("Logons"), "Sort", 255);
    SetDword(H, At("Logons"), "Default", 0);
    settings.ReadSettings(form, 2);
    CHECK_FALSE(On(form, "chkDefault", 2));
    CHECK(On(form, "optOrder", 0));
    CHECK_FALSE(On(form, "optOrder", 1));
    CHECK(form.Clicks() == Clicks{{"chkDefault(2)", false}, {"optOrder(0)", false}});

    // A flag is on when not zero; the complement of an odd value is on as well, and the last one set wins.
    SetDword(H, At("Logons"), "Sort", 7);
    SetDword(H, At("Logons"), "Default", 5);
    settings.ReadSettings(form, 2);
    CHECK(On(form, "chkDefault", 2));
    CHECK_FALSE(On(form, "optOrder", 0));
    CHECK(On(form, "optOrder", 1));

    // Stored back: a selected option button is 255, a ticked box 1.
    form.ShowPage(2, true);
    ClickAsUser(form.Find("optOrder", 0));
    REQUIRE(On(form, "optOrder", 0));
    REQUIRE_FALSE(On(form, "optOrder", 1));
    settings.SaveSettings(form, 2);
    CHECK(ReadDword(H, At("Logons"), "Sort") == 255);
    CHECK(ReadDword(H, At("Logons"), "Default") == 1);

    ClickAsUser(form.Find("optOrder", 1));
    ClickAsUser(form.Find("chkDefault", 2));
    settings.SaveSettings(form, 2);
    CHECK(ReadDword(H, At("Logons"), "Sort") == 0);
    CHECK(ReadDword(H, At("Logons"), "Default") == 0);
    // The wallpaper settings were not touched.
    CHECK(ValueNames(H, At("Wallpapers")).empty());
}

TEST_CASE("page 3: no wallpaper and the order buttons, the list left alone") {
    RegistryGuard guard;
    clsSetari settings;
    TestForm form("frmMain");
    const int selected = form.List().ListIndex();

    SetDword(H, At("Wallpapers"), "Default", 0);
    SetDword(H, At("Wallpapers"), "Sort", 0);
    settings.ReadSettings(form, 3);
    CHECK_FALSE(On(form, "chkDefault", 3));
    CHECK_FALSE(On(form, "optOrder", 3));
    CHECK(On(form, "optOrder", 2));
    CHECK(form.Clicks() == Clicks{{"optOrder(2)", false}});

    form.ShowPage(3, true);
    ClickAsUser(form.Find("optOrder", 3));
    ClickAsUser(form.Find("chkDefault", 3));
    settings.SaveSettings(form, 3);
    CHECK(ReadDword(H, At("Wallpapers"), "Sort") == 255);
    CHECK(ReadDword(H, At("Wallpapers"), "Default") == 1);
    CHECK(form.List().ListIndex() == selected);
    CHECK(ValueNames(H, At("Logons")).empty());

    settings.ReadSettings(form, 3);
    CHECK(On(form, "optOrder", 3));
    CHECK_FALSE(On(form, "optOrder", 2));
    CHECK(On(form, "chkDefault", 3));
}

TEST_CASE("page 4: program options and start with Windows") {
    RegistryGuard guard;
    clsSetari settings;
    TestForm form("frmMain");

    SetDword(H, At("Settings"), "Interface_Transp", 0);
    SetDword(H, At("Settings"), "Interface_Shadow", 1);
    SetDword(H, At("Settings"), "OnTOP", 0);
    SetDword(H, At("Settings"), "Sound", 1);
    SetString(H, kRunKey, "Tessaline", "C:\\Other\\Tessaline.exe -s");
    settings.ReadSettings(form, 4);
    CHECK_FALSE(On(form, "chkProgram", 0));
    CHECK(On(form, "chkProgram", 1));
    CHECK_FALSE(On(form, "chkProgram", 2));
    CHECK(On(form, "chkProgram", 3));
    CHECK_FALSE(On(form, "chkProgram", 4));
    // Reading start-with-Windows dropped the other copy's entry.
    DWORD type;
    std::vector<BYTE> data;
    CHECK_FALSE(testing::ReadRaw(H, kRunKey, "Tessaline", type, data));
    CHECK(form.Clicks() == Clicks{{"chkProgram(1)", false}, {"chkProgram(3)", false}});

    form.ShowPage(4, true);
    for (int i = 0; i < 5; ++i)
        ClickAsUser(form.Find("chkProgram", i));
    settings.SaveSettings(form, 4);
    CHECK(ReadDword(H, At("Settings"), "Interface_Transp") == 1);
    CHECK(ReadDword(H, At("Settings"), "Interface_Shadow") == 0);
    CHECK(ReadDword(H, At("Settings"), "OnTOP") == 1);
    CHECK(ReadDword(H, At("Settings"), "Sound") == 0);
    CHECK(ReadString(H, kRunKey, "Tessaline") == AutostartCommand());
    // Where the shell of this flavour's Windows reads it: its own registry view.
    CHECK(ReadString(H, kRunKey, "Tessaline", testing::kOwnView) == AutostartCommand());

    ClickAsUser(form.Find("chkProgram", 4));
    settings.SaveSettings(form, 4);
    CHECK_FALSE(testing::ReadRaw(H, kRunKey, "Tessaline", type, data));
}

TEST_CASE("a bad stored value shows its default on the page and stays until the page is stored") {
    RegistryGuard guard;
    clsSetari settings;
    TestForm form("frmMain");
    SetDword(H, At("Settings"), "Interface_Transp", 1);
    SetDword(H, At("Settings"), "Interface_Shadow", 1);
    SetDword(H, At("Settings"), "OnTOP", 1);
    SetString(H, At("Settings"), "Sound", "noisy");
    SetString(H, kRunKey, "Tessaline", AutostartCommand());

    settings.ReadSettings(form, 4);
    // Every row filled; the bad one with its default (sound on).
    CHECK(On(form, "chkProgram", 0));
    CHECK(On(form, "chkProgram", 1));
    CHECK(On(form, "chkProgram", 2));
    CHECK(On(form, "chkProgram", 3));
    CHECK(On(form, "chkProgram", 4));
    CHECK(ReadString(H, At("Settings"), "Sound") == "noisy");
    CHECK(ReadString(H, kRunKey, "Tessaline") == AutostartCommand());
    // Storing the page replaces the bad value with the box's.
    ClickAsUser(form.Find("chkProgram", 3));
    settings.SaveSettings(form, 4);
    CHECK(ReadDword(H, At("Settings"), "Sound") == 0);
    CHECK(testing::ReadFileBytes(guard.LogPath()).find("Settings\\Sound is not one the program wrote") !=
          std::string::npos);
}

TEST_CASE("a window without the page's controls fails towards the caller") {
    RegistryGuard guard;
    clsSetari settings;
    struct Bare final : SettingsForm {
        std::string Name() const override { return "frmMain"; }
        uint8_t LevelVAL() const override { return 100; }
        void SetLevelVAL(uint8_t) override {}
        SettingsToggle& chkTaskTransp(int index) override {
            TSLN_FAIL(340, "Control array element doesn't exist");
        }
        SettingsToggle& chkDefault(int index) override {
            TSLN_FAIL(340, "Control array element doesn't exist");
        }
        SettingsToggle& optOrder(int index) override {
            TSLN_FAIL(340, "Control array element doesn't exist");
        }
        SettingsToggle& chkProgram(int index) override {
            TSLN_FAIL(340, "Control array element doesn't exist");
        }
    } bare;
    CHECK_THROWS_AS(settings.SaveSettings(bare, 0), AppError);
    // The level, first in the page, was stored before the failure.
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 100);
    CHECK_THROWS_AS(settings.ReadSettings(bare, 3), AppError);
}
