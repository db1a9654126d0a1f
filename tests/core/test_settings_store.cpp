// The settings store against the real registry of the test prefix: creation, every property, the lists
// and start-with-Windows, and what happens with bad or vanished values.
#include "core/app_error.h"
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "res/version.h"
#include "tests/core/settings_fixture.h"

#include <algorithm>
#include <functional>
#include <doctest.h>

using namespace tsln;
using namespace settings_test;
using testing::FailureNumber;
using testing::ReadString;
using testing::SetDword;
using testing::SetString;

namespace {
const HKEY H = HKEY_CURRENT_USER;
const HKEY M = HKEY_LOCAL_MACHINE;

std::string ExePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string RunValue() {
    return ReadString(H, kRunKey, "Tessaline");
}

bool RunValueExists() {
    DWORD type;
    std::vector<BYTE> data;
    return testing::ReadRaw(H, kRunKey, "Tessaline", type, data);
}

std::vector<std::string> Texts(const ListPairs& list) {
    std::vector<std::string> texts;
    for (const auto& pair : list)
        texts.push_back(pair.second);
    return texts;
}
} // namespace

TEST_CASE("the version text and the start command") {
    CHECK(ProgramVersionText() == std::to_string(TSLN_VERSION_MAJOR) + "." +
                                      std::to_string(TSLN_VERSION_MINOR) + "." +
                                      std::to_string(TSLN_VERSION_REVISION));
    CHECK(ProgramVersionText() == "1.8.8");

    // Absolute: the running executable itself, then the switch.
    const std::string exe = ExePath();
    REQUIRE(exe.size() > 3);
    CHECK(exe[1] == ':');
    CHECK(lstrcmpiA(AutostartCommand().c_str(), (exe.substr(0, exe.size() - 4) + ".exe -s").c_str()) == 0);
    CHECK(AutostartCommand().compare(AutostartCommand().size() - 7, 7, ".exe -s") == 0);
}

TEST_CASE("first creation on a fresh profile registers the program and turns start-with-Windows on") {
    RegistryGuard guard;
    guard.FreshProfile();
    {
        clsSetari settings;
        CHECK(ReadString(H, kProduct, "AppPath") == ProgramFolder());
        CHECK(ReadString(H, kProduct, "version") == "1.8.8");
        CHECK(ReadString(M, kProduct, "AppPath") == ProgramFolder());
        CHECK(ReadString(M, kProduct, "version") == "1.8.8");
        CHECK(testing::KeyExists(H, At("Wallpapers")));
        CHECK(testing::KeyExists(H, At("Logons")));
        CHECK(testing::KeyExists(H, At("Settings")));
        CHECK(RunValue() == AutostartCommand());
        CHECK(settings.Autostart() == 1);

        SUBCASE("every property reads its default") {
            CHECK(settings.Left() == -100);
            CHECK(settings.Top() == -100);
            CHECK(settings.Skin() == "");
            CHECK(settings.Interface_Transp() == 1);
            CHECK(settings.Interface_Shadow() == 0);
            CHECK(settings.OnTOP() == 1);
            CHECK(settings.Sound() == 1);
            CHECK(settings.TranspLevel() == 230);
            CHECK(settings.TranspStartMenu() == 0);
            CHECK(settings.TranspTaskbar() == 0);
            CHECK(settings.WSort() == 255);
            CHECK(settings.LSort() == 255);
            CHECK(settings.WDefault() == 0);
            CHECK(settings.LDefault() == 0);
            CHECK(settings.WInterval() == "never");
            CHECK(settings.LInterval() == "never");
            CHECK(settings.WCurrent() == "");
            CHECK(settings.LCurrent() == "");
            CHECK(settings.WDefaultDir() == "");
            CHECK(settings.LDefaultDir() == "");
            CHECK(settings.WOtherFiles().empty());
            CHECK(settings.LOtherFiles().empty());
            // Reading wrote nothing.
            CHECK(ValueNames(H, At("Settings")).empty());
            CHECK(ValueNames(H, At("Wallpapers")).empty());
        }
    }
    // Not the first run any more: turning it off sticks across creations.
    clsSetari().SetAutostart(0);
    CHECK_FALSE(RunValueExists());
    clsSetari again;
    CHECK_FALSE(RunValueExists());
    CHECK(again.Autostart() == 0);
    CHECK(guard.LogPath() != "");
    CHECK_FALSE(testing::PathExists(guard.LogPath()));
}

TEST_CASE("creation refreshes the folder and version of an older copy and keeps the user's settings") {
    RegistryGuard guard;
    guard.FreshProfile();
    SetString(H, kProduct, "AppPath", "C:\\Old");
    SetString(H, kProduct, "version", "1.7.2");
    SetDword(H, At("Settings"), "Sound", 0);
    clsSetari settings;
    CHECK(ReadString(H, kProduct, "AppPath") == ProgramFolder());
    CHECK(ReadString(H, kProduct, "version") == "1.8.8");
    CHECK(settings.Sound() == 0);
    // The product key was there: not a first run.
    CHECK_FALSE(RunValueExists());
}

TEST_CASE("without rights on the machine key, creation still completes for the user, without a report") {
    RegistryGuard guard;
    guard.FreshProfile();
    testing::BoxWatcher boxes;
    SUBCASE("no machine product key yet") {
        MachineWithoutRights machine(false, "");
        clsSetari settings;
        CHECK(Dump(H, machine.Path()) == TreeDump{{"|", {REG_NONE, {}}}});
    }
    SUBCASE("a machine product key of another copy") {
        MachineWithoutRights machine(true, "C:\\Elsewhere");
        clsSetari settings;
        CHECK(ReadString(H, machine.Path() + "\\" + kProduct, "AppPath") == "C:\\Elsewhere");
        CHECK(ValueNames(H, machine.Path() + "\\" + kProduct) == std::vector<std::string>{"AppPath"});
    }
    CHECK_FALSE(testing::KeyExists(H, "Software\\TessalineTests\\machine"));
    CHECK(ReadString(H, kProduct, "AppPath") == ProgramFolder());
    CHECK(ReadString(H, kProduct, "version") == "1.8.8");
    CHECK(testing::KeyExists(H, At("Settings")));
    CHECK(RunValue() == AutostartCommand());
    CHECK(boxes.Seen().empty());
    CHECK_FALSE(testing::PathExists(guard.LogPath()));
}

TEST_CASE("numbers and texts are stored with their types and read back") {
    RegistryGuard guard;
    clsSetari settings;

    settings.SetLeft(-4500);
    settings.SetTop(2147483647);
    CHECK(settings.Left() == -4500);
    CHECK(settings.Top() == 2147483647);
    CHECK(ReadDword(H, At("Settings"), "Left") == static_cast<DWORD>(-4500));

    const std::pair<void (clsSetari::*)(uint8_t), uint8_t (clsSetari::*)()> bytes[] = {
        {&clsSetari::SetInterface_Transp, &clsSetari::Interface_Transp},
        {&clsSetari::SetInterface_Shadow, &clsSetari::Interface_Shadow},
        {&clsSetari::SetOnTOP, &clsSetari::OnTOP},
        {&clsSetari::SetSound, &clsSetari::Sound},
        {&clsSetari::SetTranspStartMenu, &clsSetari::TranspStartMenu},
        {&clsSetari::SetTranspTaskbar, &clsSetari::TranspTaskbar},
        {&clsSetari::SetWSort, &clsSetari::WSort},
        {&clsSetari::SetLSort, &clsSetari::LSort},
        {&clsSetari::SetWDefault, &clsSetari::WDefault},
        {&clsSetari::SetLDefault, &clsSetari::LDefault},
    };
    for (const auto& [set, get] : bytes) {
        for (uint8_t v : {uint8_t(0), uint8_t(1), uint8_t(255), uint8_t(7)}) {
            (settings.*set)(v);
            CHECK((settings.*get)() == v);
        }
    }
    CHECK(ReadDword(H, At("Settings"), "Interface_Transp") == 7);
    CHECK(ReadDword(H, At("Settings"), "OnTOP") == 7);
    CHECK(ReadDword(H, At("Wallpapers"), "Sort") == 7);
    CHECK(ReadDword(H, At("Logons"), "Default") == 7);

    settings.SetWInterval("every 3 hours");
    settings.SetLInterval("on Log Off");
    settings.SetWCurrent("C:\\Walls\\sea.jpg");
    settings.SetLCurrent("C:\\Logons\\Blue\\logonui.exe");
    settings.SetWDefaultDir("C:\\Walls");
    settings.SetLDefaultDir("C:\\Logons");
    CHECK(settings.WInterval() == "every 3 hours");
    CHECK(settings.LInterval() == "on Log Off");
    CHECK(settings.WCurrent() == "C:\\Walls\\sea.jpg");
    CHECK(settings.LCurrent() == "C:\\Logons\\Blue\\logonui.exe");
    CHECK(settings.WDefaultDir() == "C:\\Walls");
    CHECK(settings.LDefaultDir() == "C:\\Logons");
    CHECK(ReadString(H, At("Wallpapers"), "Interval") == "every 3 hours");
    CHECK(ReadString(H, At("Logons"), "Current") == "C:\\Logons\\Blue\\logonui.exe");
    DWORD type = 0;
    std::vector<BYTE> raw;
    REQUIRE(testing::ReadRaw(H, At("Logons"), "DefaultDir", type, raw));
    CHECK(type == REG_SZ);

    // An emptied text reads as its default again.
    settings.SetWInterval("");
    CHECK(settings.WInterval() == "never");
}

TEST_CASE("the transparency level is kept within 76 to 230") {
    RegistryGuard guard;
    clsSetari settings;
    SetDword(H, At("Settings"), "TranspLevel", 50);
    CHECK(settings.TranspLevel() == 230);
    SetDword(H, At("Settings"), "TranspLevel", 75);
    CHECK(settings.TranspLevel() == 230);
    SetDword(H, At("Settings"), "TranspLevel", 1000); // out of a byte's range too: still the default
    CHECK(settings.TranspLevel() == 230);
    SetDword(H, At("Settings"), "TranspLevel", static_cast<DWORD>(-5));
    CHECK(settings.TranspLevel() == 230);
    SetDword(H, At("Settings"), "TranspLevel", 76);
    CHECK(settings.TranspLevel() == 76);

    settings.SetTranspLevel(231);
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 230);
    settings.SetTranspLevel(75);
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 230);
    settings.SetTranspLevel(76);
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 76);
    settings.SetTranspLevel(230);
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 230);
    settings.SetTranspLevel(0);
    CHECK(ReadDword(H, At("Settings"), "TranspLevel") == 230);
}

TEST_CASE("skin names come back with underscores for blanks, and are stored unchanged") {
    RegistryGuard guard;
    clsSetari settings;
    SetString(H, At("Settings"), "Skin", "Blue Steel");
    CHECK(settings.Skin() == "Blue_Steel");
    settings.SetSkin("Night  Sky ");
    CHECK(ReadString(H, At("Settings"), "Skin") == "Night  Sky ");
    CHECK(settings.Skin() == "Night__Sky_");
}

TEST_CASE("stored values of the wrong kind read as their defaults, are logged once and stay as they are") {
    RegistryGuard guard;
    clsSetari settings;
    auto entries = [&] {
        const std::string log = testing::ReadFileBytes(guard.LogPath());
        size_t count = 0;
        for (size_t at = 0; (at = log.find("is not one the program wrote", at)) != std::string::npos; ++at)
            ++count;
        return count;
    };

    SetString(H, At("Settings"), "Sound", "loud");
    CHECK(settings.Sound() == 1);
    CHECK(settings.Sound() == 1);
    CHECK(ReadString(H, At("Settings"), "Sound") == "loud");
    CHECK(entries() == 1);
    const std::string log = testing::ReadFileBytes(guard.LogPath());
    CHECK(log.find("Error Number: 13\r\nType mismatch: the stored value Settings\\Sound is not one the "
                   "program wrote; its default is used\r\n\r\nDebug Information:\r\n"
                   "Tessaline.clsSetari.Sound") != std::string::npos);

    // A number written as text is still a number.
    SetString(H, At("Settings"), "OnTOP", "0");
    CHECK(settings.OnTOP() == 0);
    SetString(H, At("Settings"), "TranspLevel", "120");
    CHECK(settings.TranspLevel() == 120);

    testing::SetBinary(H, At("Settings"), "Left", {1, 2, 3, 4});
    CHECK(settings.Left() == -100);
    DWORD type = 0;
    std::vector<BYTE> raw;
    REQUIRE(testing::ReadRaw(H, At("Settings"), "Left", type, raw));
    CHECK(type == REG_BINARY);

    // Beyond a byte.
    SetDword(H, At("Settings"), "Interface_Transp", 300);
    CHECK(settings.Interface_Transp() == 1);
    SetDword(H, At("Wallpapers"), "Sort", static_cast<DWORD>(-1));
    CHECK(settings.WSort() == 255);
    CHECK(settings.WSort() == 255);
    CHECK(ReadDword(H, At("Wallpapers"), "Sort") == static_cast<DWORD>(-1));
    CHECK(entries() == 4);

    // Bytes where a text belongs, and a value that turns into another bad one: logged again.
    testing::SetBinary(H, At("Wallpapers"), "Interval", {0xde, 0xad, 0xbe, 0xef});
    const std::string interval = settings.WInterval();
    CHECK((interval == "never" || interval.size() == 4));
    SetString(H, At("Settings"), "Sound", "louder");
    CHECK(settings.Sound() == 1);
    CHECK(entries() >= 5);

    // A number where a text belongs reads as its digits.
    SetDword(H, At("Logons"), "Interval", 5);
    CHECK(settings.LInterval() == "5");
}

TEST_CASE("keys removed while the program runs") {
    RegistryGuard guard;
    clsSetari settings;
    settings.SetSound(0);
    testing::DeleteTree(H, At("Settings"));
    testing::DeleteTree(H, At("Wallpapers"));

    // Numbers read as their defaults, texts deliver the marker text.
    CHECK(settings.Sound() == 1);
    CHECK(settings.Left() == -100);
    CHECK(settings.TranspLevel() == 230);
    CHECK(settings.WSort() == 255);
    CHECK(settings.Skin() == "Error!");
    CHECK(settings.WInterval() == "Error!");
    CHECK(settings.WOtherFiles().empty());

    // Writes that cannot open their key do nothing.
    settings.SetSound(1);
    settings.SetWInterval("every hour");
    CHECK_FALSE(testing::KeyExists(H, At("Settings")));
    CHECK_FALSE(testing::KeyExists(H, At("Wallpapers")));

    // A new object makes the keys again.
    clsSetari next;
    CHECK(next.Sound() == 1);
    CHECK(settings.Sound() == 1);
}

TEST_CASE("objects share nothing but the registry") {
    RegistryGuard guard;
    clsSetari a;
    clsSetari b;
    a.SetWInterval("every 5 minutes");
    CHECK(b.WInterval() == "every 5 minutes");
    SetString(H, At("Wallpapers"), "Interval", "on Log ON");
    CHECK(a.WInterval() == "on Log ON");
}

TEST_CASE("lists: stored as \"1\"..\"N\" in list order, read in that order") {
    RegistryGuard guard;
    clsSetari settings;
    const std::string list = At("Wallpapers\\List");

    SUBCASE("twelve entries survive a registry that enumerates \"1\", \"10\", \"2\"") {
        std::vector<std::string> texts;
        for (int i = 1; i <= 12; ++i)
            texts.push_back("C:\\Walls\\w" + std::to_string(i) + ".jpg*w" + std::to_string(i) + "**" +
                            std::to_string(i));
        settings.SetWOtherFiles(texts);
        CHECK(Texts(settings.WOtherFiles()) == texts);
        ListPairs pairs = settings.WOtherFiles();
        CHECK(pairs[9].first == "10");
        CHECK(ReadString(H, list, "12") == texts[11]);
        DWORD type = 0;
        std::vector<BYTE> raw;
        REQUIRE(testing::ReadRaw(H, list, "7", type, raw));
        CHECK(type == REG_SZ);
    }
    SUBCASE("three after five leaves exactly \"1\", \"2\", \"3\"") {
        settings.SetWOtherFiles({"a", "b", "c", "d", "e"});
        settings.SetWOtherFiles({"x", "y", "z"});
        std::vector<std::string> names = ValueNames(H, list);
        std::sort(names.begin(), names.end());
        CHECK(names == std::vector<std::string>{"1", "2", "3"});
        CHECK(Texts(settings.WOtherFiles()) == std::vector<std::string>{"x", "y", "z"});
    }
    SUBCASE("an empty list leaves an empty key") {
        settings.SetWOtherFiles({"a", "b"});
        settings.SetWOtherFiles({});
        CHECK(testing::KeyExists(H, list));
        CHECK(ValueNames(H, list).empty());
        CHECK(settings.WOtherFiles().empty());
    }
    SUBCASE("whatever else the key held is gone after a write") {
        SetString(H, list, "01", "zero-one");
        SetString(H, list, "x", "stray");
        SetString(H, list, "", "default value");
        SetDword(H, list, "2", 9);
        settings.SetWOtherFiles({"p", "q"});
        std::vector<std::string> names = ValueNames(H, list);
        std::sort(names.begin(), names.end());
        CHECK(names == std::vector<std::string>{"1", "2"});
        CHECK(ReadString(H, list, "2") == "q");
    }
    SUBCASE("the key is rewritten in place, never dropped") {
        settings.SetWOtherFiles({"a", "b", "c", "d", "e"});
        tsln::unique_hkey before;
        REQUIRE(RegOpenKeyExA(H, list.c_str(), 0, KEY_READ, before.put()) == ERROR_SUCCESS);
        settings.SetWOtherFiles({"x", "y"});
        // A handle opened before the write still addresses the live key, which holds the new list.
        DWORD values = 0;
        REQUIRE(RegQueryInfoKeyA(before.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                 nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS);
        CHECK(values == 2);
        char text[8] = {};
        DWORD size = sizeof text;
        REQUIRE(RegQueryValueExA(before.get(), "1", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) ==
                ERROR_SUCCESS);
        CHECK(std::string(text) == "x");
    }
    SUBCASE("the list key is made when it is missing") {
        testing::DeleteTree(H, list);
        CHECK(settings.WOtherFiles().empty());
        settings.SetWOtherFiles({"only"});
        CHECK(Texts(settings.WOtherFiles()) == std::vector<std::string>{"only"});
    }
    SUBCASE("logon screens have their own list") {
        settings.SetLOtherFiles({"C:\\L\\Blue\\logonui.exe*Blue**3"});
        settings.SetWOtherFiles({"w"});
        CHECK(Texts(settings.LOtherFiles()) == std::vector<std::string>{"C:\\L\\Blue\\logonui.exe*Blue**3"});
        CHECK(ReadString(H, At("Logons\\List"), "1") == "C:\\L\\Blue\\logonui.exe*Blue**3");
        CHECK(Texts(settings.WOtherFiles()) == std::vector<std::string>{"w"});
    }
}

TEST_CASE("lists: stored entries in odd shapes are read back as they are and kept") {
    RegistryGuard guard;
    clsSetari settings;
    const std::string list = At("Logons\\List");
    // Written in this order; the registry may enumerate them differently.
    SetString(H, list, "3", "C:\\L\\c.exe*c**1");
    SetString(H, list, "1", "no fields at all");
    SetDword(H, list, "2", 7);
    SetString(H, list, "10", "C:\\L\\j.exe*j*1/1/2004 10:00:00*x");
    testing::SetBinary(H, list, "4", {0x0A, 0x05, 0xFF});
    const TreeDump before = Dump(H, kProduct);

    ListPairs pairs = settings.LOtherFiles();
    REQUIRE(pairs.size() == 5);
    CHECK(pairs[0] == std::make_pair(std::string("1"), std::string("no fields at all")));
    CHECK(pairs[1] == std::make_pair(std::string("2"), std::string("7")));
    CHECK(pairs[2] == std::make_pair(std::string("3"), std::string("C:\\L\\c.exe*c**1")));
    CHECK(pairs[3] == std::make_pair(std::string("4"), std::string("0A 05 FF")));
    CHECK(pairs[4] == std::make_pair(std::string("10"), std::string("C:\\L\\j.exe*j*1/1/2004 10:00:00*x")));
    CHECK(Dump(H, kProduct) == before);
}

TEST_CASE("start with Windows") {
    RegistryGuard guard;
    clsSetari settings;
    settings.SetSound(0);

    settings.SetAutostart(1);
    CHECK(RunValue() == AutostartCommand());
    CHECK(settings.Autostart() == 1);
    CHECK(RunValueExists());

    // The key root is the product key again: properties go where they belong.
    CHECK(settings.Sound() == 0);
    settings.SetOnTOP(0);
    CHECK(ReadDword(H, At("Settings"), "OnTOP") == 0);
    const std::vector<std::string> runNames = ValueNames(H, kRunKey);
    CHECK(std::find(runNames.begin(), runNames.end(), "OnTOP") == runNames.end());

    settings.SetAutostart(0);
    CHECK_FALSE(RunValueExists());
    CHECK(settings.Autostart() == 0);

    SUBCASE("another copy's entry is removed by reading") {
        SetString(H, kRunKey, "Tessaline", "C:\\Other\\Tessaline.exe -s");
        CHECK(settings.Autostart() == 0);
        CHECK_FALSE(RunValueExists());
    }
    SUBCASE("the comparison minds letter case") {
        std::string command = AutostartCommand();
        CharLowerBuffA(&command[0], static_cast<DWORD>(command.size()));
        REQUIRE(command != AutostartCommand());
        SetString(H, kRunKey, "Tessaline", command);
        CHECK(settings.Autostart() == 0);
        CHECK_FALSE(RunValueExists());
    }
    SUBCASE("an entry that is no text is removed by reading") {
        SetDword(H, kRunKey, "Tessaline", 1);
        CHECK(settings.Autostart() == 0);
        CHECK_FALSE(RunValueExists());
    }
    SUBCASE("other programs' entries stay") {
        SetString(H, kRunKey, "SomethingElse", "C:\\x.exe");
        settings.SetAutostart(1);
        settings.SetAutostart(0);
        CHECK(settings.Autostart() == 0);
        CHECK(ReadString(H, kRunKey, "SomethingElse") == "C:\\x.exe");
    }
    CHECK(settings.Sound() == 0);
}
