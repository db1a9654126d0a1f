#include "core/clsSetari.h"
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "core/product.h"
#include "core/unique_any.h"
#include "res/version.h"

#include <map>

namespace tsln {

namespace {
const char* const kRunKeyRoot = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kRunSubkey = "Run";

constexpr int32_t kLevelMin = 76;
constexpr int32_t kLevelMax = 230;

int32_t ClampLevel(int32_t value) {
    return value < kLevelMin || value > kLevelMax ? kLevelMax : value;
}

uint8_t ToByte(int32_t value) {
    if (value < 0 || value > 255) TSLN_FAIL(err::kOverflow);
    return static_cast<uint8_t>(value);
}

// A stored value the program cannot read (edited by hand, half written, of another type) counts as its
// default, and the user's value stays in the registry until a page that shows it is saved.
void NoteUnreadable(const char* subkey, const char* name, const RegValue& stored) {
    LogUnreadableOnce(std::string(subkey) + "\\" + name, stored,
                      "is not one the program wrote; its default is used",
                      std::string("Tessaline.clsSetari.") + name);
}

// A control's value as a stored byte: a ticked check box is 1, a selected option button is 255
// (its true as a byte); off is 0 for both.
uint8_t CheckBoxByte(const SettingsToggle& control) {
    return control.Value() ? 1 : 0;
}
uint8_t OptionByte(const SettingsToggle& control) {
    return control.Value() ? 255 : 0;
}
} // namespace

void LogUnreadableOnce(const std::string& place, const RegValue& stored, const std::string& consequence,
                       const std::string& source) {
    static std::map<std::string, RegValue> logged;
    auto known = logged.find(place);
    if (known != logged.end() && known->second == stored) return;
    logged[place] = stored;
    AppError failure = CurrentFailure();
    failure.description += ": the stored value " + place + " " + consequence;
    ReportError(BuildReport(failure, source), kSilent);
}

std::string ProgramVersionText() {
    return std::to_string(TSLN_VERSION_MAJOR) + "." + std::to_string(TSLN_VERSION_MINOR) + "." +
           std::to_string(TSLN_VERSION_REVISION);
}

std::string AutostartCommand() {
    return AddBackslash(ProgramFolder()) + ExeBaseName() + ".exe -s";
}

clsSetari::clsSetari() {
    try {
        reg_.SetKeyRoot(kProductKey);
        reg_.SetHkey(HKEY_LOCAL_MACHINE);
        reg_.SetSubkey("");
        // Without administrator rights the machine-wide key stays as it is; nothing depends on it.
        if (!reg_.KeyExists()) reg_.CreateKey();
        reg_.SetRegistryValue("AppPath", ProgramFolder(), REG_SZ);
        reg_.SetRegistryValue("version", ProgramVersionText(), REG_SZ);

        reg_.SetHkey(HKEY_CURRENT_USER);
        bool firstRun = false;
        if (!reg_.KeyExists()) {
            reg_.CreateKey();
            firstRun = true;
        }
        reg_.SetRegistryValue("version", ProgramVersionText(), REG_SZ);
        reg_.SetRegistryValue("AppPath", ProgramFolder(), REG_SZ);
        reg_.CreateKey(kWallpapersSubkey);
        reg_.CreateKey(kLogonsSubkey);
        reg_.CreateKey(kSettingsSubkey);
        reg_.SetSubkey(kSettingsSubkey);
        if (firstRun) SetAutostart(1);
    } catch (...) {
        HandleFailure("Tessaline.clsSetari.Class_Initialize", kShown);
        // Whatever step failed, the properties address the user's product key.
        reg_.SetHkey(HKEY_CURRENT_USER);
        reg_.SetKeyRoot(kProductKey);
    }
}

int32_t clsSetari::ReadLong(const char* subkey, const char* name, int32_t defaultValue) {
    reg_.SetSubkey(subkey);
    const RegValue stored = reg_.GetRegistryValue(name, RegValue(defaultValue));
    try {
        return stored.AsLong();
    } catch (...) {
        NoteUnreadable(subkey, name, stored);
        return defaultValue;
    }
}

uint8_t clsSetari::ReadByte(const char* subkey, const char* name, uint8_t defaultValue) {
    const int32_t number = ReadLong(subkey, name, defaultValue);
    try {
        return ToByte(number);
    } catch (...) {
        NoteUnreadable(subkey, name, RegValue(number));
        return defaultValue;
    }
}

std::string clsSetari::ReadText(const char* subkey, const char* name, const char* defaultValue) {
    reg_.SetSubkey(subkey);
    const RegValue stored = reg_.GetRegistryValue(name, RegValue(defaultValue));
    try {
        // Bytes are no text, whatever characters they happen to spell.
        if (stored.IsBytes()) TSLN_FAIL(err::kTypeMismatch);
        return stored.AsText();
    } catch (...) {
        NoteUnreadable(subkey, name, stored);
        return defaultValue;
    }
}

void clsSetari::WriteNumber(const char* subkey, const char* name, int32_t value) {
    reg_.SetSubkey(subkey);
    reg_.SetRegistryValue(name, RegValue(value), REG_DWORD);
}

void clsSetari::WriteText(const char* subkey, const char* name, const std::string& value) {
    reg_.SetSubkey(subkey);
    reg_.SetRegistryValue(name, RegValue(value), REG_SZ);
}

int32_t clsSetari::Left() {
    return ReadLong(kSettingsSubkey, "Left", -100);
}
void clsSetari::SetLeft(int32_t value) {
    WriteNumber(kSettingsSubkey, "Left", value);
}
int32_t clsSetari::Top() {
    return ReadLong(kSettingsSubkey, "Top", -100);
}
void clsSetari::SetTop(int32_t value) {
    WriteNumber(kSettingsSubkey, "Top", value);
}

std::string clsSetari::Skin() {
    std::string name = ReadText(kSettingsSubkey, "Skin", "");
    for (char& c : name)
        if (c == ' ') c = '_';
    return name;
}
void clsSetari::SetSkin(const std::string& value) {
    WriteText(kSettingsSubkey, "Skin", value);
}

uint8_t clsSetari::Interface_Transp() {
    return ReadByte(kSettingsSubkey, "Interface_Transp", 1);
}
void clsSetari::SetInterface_Transp(uint8_t value) {
    WriteNumber(kSettingsSubkey, "Interface_Transp", value);
}
uint8_t clsSetari::Interface_Shadow() {
    return ReadByte(kSettingsSubkey, "Interface_Shadow", 0);
}
void clsSetari::SetInterface_Shadow(uint8_t value) {
    WriteNumber(kSettingsSubkey, "Interface_Shadow", value);
}
uint8_t clsSetari::OnTOP() {
    return ReadByte(kSettingsSubkey, "OnTOP", 1);
}
void clsSetari::SetOnTOP(uint8_t value) {
    WriteNumber(kSettingsSubkey, "OnTOP", value);
}
uint8_t clsSetari::Sound() {
    return ReadByte(kSettingsSubkey, "Sound", 1);
}
void clsSetari::SetSound(uint8_t value) {
    WriteNumber(kSettingsSubkey, "Sound", value);
}

uint8_t clsSetari::TranspLevel() {
    // Clamped before the byte conversion: any stored number out of range reads as the default.
    return static_cast<uint8_t>(ClampLevel(ReadLong(kSettingsSubkey, "TranspLevel", kLevelMax)));
}
void clsSetari::SetTranspLevel(uint8_t value) {
    WriteNumber(kSettingsSubkey, "TranspLevel", ClampLevel(value));
}
uint8_t clsSetari::TranspStartMenu() {
    return ReadByte(kSettingsSubkey, "TranspStartMenu", 0);
}
void clsSetari::SetTranspStartMenu(uint8_t value) {
    WriteNumber(kSettingsSubkey, "TranspStartMenu", value);
}
uint8_t clsSetari::TranspTaskbar() {
    return ReadByte(kSettingsSubkey, "TranspTaskbar", 0);
}
void clsSetari::SetTranspTaskbar(uint8_t value) {
    WriteNumber(kSettingsSubkey, "TranspTaskbar", value);
}

CollectionSettings::CollectionSettings(clsSetari& store, tType kind)
    : store_(store), key_(IsLogons(kind) ? kLogonsSubkey : kWallpapersSubkey),
      listKey_(IsLogons(kind) ? kLogonListSubkey : kWallpaperListSubkey) {}

uint8_t CollectionSettings::Sort() {
    return store_.ReadByte(key_, "Sort", 255);
}
void CollectionSettings::SetSort(uint8_t value) {
    store_.WriteNumber(key_, "Sort", value);
}
uint8_t CollectionSettings::Default() {
    return store_.ReadByte(key_, "Default", 0);
}
void CollectionSettings::SetDefault(uint8_t value) {
    store_.WriteNumber(key_, "Default", value);
}
std::string CollectionSettings::Interval() {
    return store_.ReadText(key_, "Interval", "never");
}
void CollectionSettings::SetInterval(const std::string& value) {
    store_.WriteText(key_, "Interval", value);
}
std::string CollectionSettings::Current() {
    return store_.ReadText(key_, "Current", "");
}
void CollectionSettings::SetCurrent(const std::string& value) {
    store_.WriteText(key_, "Current", value);
}
std::string CollectionSettings::DefaultDir() {
    return store_.ReadText(key_, "DefaultDir", "");
}
void CollectionSettings::SetDefaultDir(const std::string& value) {
    store_.WriteText(key_, "DefaultDir", value);
}
ListPairs CollectionSettings::OtherFiles() {
    return store_.ReadList(listKey_);
}
void CollectionSettings::SetOtherFiles(const std::vector<std::string>& texts) {
    store_.WriteList(listKey_, texts);
}

CollectionSettings clsSetari::Collection(tType kind) {
    return CollectionSettings(*this, kind);
}

uint8_t clsSetari::WSort() {
    return Collection(tType::Wallpapers).Sort();
}
void clsSetari::SetWSort(uint8_t value) {
    Collection(tType::Wallpapers).SetSort(value);
}
uint8_t clsSetari::WDefault() {
    return Collection(tType::Wallpapers).Default();
}
void clsSetari::SetWDefault(uint8_t value) {
    Collection(tType::Wallpapers).SetDefault(value);
}
std::string clsSetari::WInterval() {
    return Collection(tType::Wallpapers).Interval();
}
void clsSetari::SetWInterval(const std::string& value) {
    Collection(tType::Wallpapers).SetInterval(value);
}
std::string clsSetari::WCurrent() {
    return Collection(tType::Wallpapers).Current();
}
void clsSetari::SetWCurrent(const std::string& value) {
    Collection(tType::Wallpapers).SetCurrent(value);
}
std::string clsSetari::WDefaultDir() {
    return Collection(tType::Wallpapers).DefaultDir();
}
void clsSetari::SetWDefaultDir(const std::string& value) {
    Collection(tType::Wallpapers).SetDefaultDir(value);
}
uint8_t clsSetari::LSort() {
    return Collection(tType::Logons).Sort();
}
void clsSetari::SetLSort(uint8_t value) {
    Collection(tType::Logons).SetSort(value);
}
uint8_t clsSetari::LDefault() {
    return Collection(tType::Logons).Default();
}
void clsSetari::SetLDefault(uint8_t value) {
    Collection(tType::Logons).SetDefault(value);
}
std::string clsSetari::LInterval() {
    return Collection(tType::Logons).Interval();
}
void clsSetari::SetLInterval(const std::string& value) {
    Collection(tType::Logons).SetInterval(value);
}
std::string clsSetari::LCurrent() {
    return Collection(tType::Logons).Current();
}
void clsSetari::SetLCurrent(const std::string& value) {
    Collection(tType::Logons).SetCurrent(value);
}
WallpaperFit clsSetari::WFit() {
    try {
        return WallpaperFitOf(ReadText(kWallpapersSubkey, "Fit", "stretch"));
    } catch (...) {
        return WallpaperFit::kStretch; // a value of another type is as unknown as a strange text
    }
}
void clsSetari::SetWFit(WallpaperFit value) {
    WriteText(kWallpapersSubkey, "Fit", WallpaperFitText(value));
}
std::string clsSetari::LDefaultDir() {
    return Collection(tType::Logons).DefaultDir();
}
void clsSetari::SetLDefaultDir(const std::string& value) {
    Collection(tType::Logons).SetDefaultDir(value);
}

ListPairs clsSetari::ReadList(const char* listKey) {
    // The registry may enumerate "1", "10", "2": the names give the order.
    return InNumericOrder(
        reg_.EnumRegistryValues(HKEY_CURRENT_USER, std::string(kProductKey) + "\\" + listKey));
}

void clsSetari::WriteList(const char* listKey, const std::vector<std::string>& texts) {
    reg_.SetSubkey(listKey);
    reg_.CreateKey();
    // The new entries go over the old ones first and only then is the rest dropped, so that an
    // interrupted write never leaves the user without a list.
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        values.emplace_back(std::to_string(i + 1), texts[i]);
    // With every value written, a key that holds exactly as many values holds nothing else.
    if (reg_.SetRegistryTexts(values) && reg_.ValueCount() == texts.size()) return;
    const RegPairs stored = reg_.EnumRegistryValues(reg_.hkey(), reg_.CurrentKeyPath());
    for (const auto& pair : stored)
        if (!IsListValueName(pair.first, texts.size())) reg_.DeleteValue(pair.first);
}

ListPairs clsSetari::WOtherFiles() {
    return Collection(tType::Wallpapers).OtherFiles();
}
void clsSetari::SetWOtherFiles(const std::vector<std::string>& texts) {
    Collection(tType::Wallpapers).SetOtherFiles(texts);
}
ListPairs clsSetari::LOtherFiles() {
    return Collection(tType::Logons).OtherFiles();
}
void clsSetari::SetLOtherFiles(const std::vector<std::string>& texts) {
    Collection(tType::Logons).SetOtherFiles(texts);
}

uint8_t clsSetari::Autostart() {
    reg_.SetKeyRoot(kRunKeyRoot);
    auto back = make_scope_exit([this] { reg_.SetKeyRoot(kProductKey); });
    reg_.SetSubkey(kRunSubkey);
    const RegValue stored = reg_.GetRegistryValue(kProductTitle);
    if (stored.IsText() && stored.AsText() == AutostartCommand()) return 1;
    // Absent, or left by a copy of the program elsewhere: it must not start that copy.
    reg_.DeleteValue(kProductTitle);
    return 0;
}

void clsSetari::SetAutostart(uint8_t value) {
    reg_.SetKeyRoot(kRunKeyRoot);
    auto back = make_scope_exit([this] { reg_.SetKeyRoot(kProductKey); });
    reg_.SetSubkey(kRunSubkey);
    if (value != 0)
        reg_.SetRegistryValue(kProductTitle, RegValue(AutostartCommand()), REG_SZ);
    else
        reg_.DeleteValue(kProductTitle);
}

void clsSetari::ReadSettings(SettingsForm& window, int page) {
    if (window.Name() != "frmMain") return;
    switch (page) {
    case 0:
        window.SetLevelVAL(TranspLevel());
        window.chkTaskTransp(0).SetValue(TranspStartMenu() != 0);
        window.chkTaskTransp(1).SetValue(TranspTaskbar() != 0);
        break;
    case 2:
        window.chkDefault(2).SetValue(LDefault() != 0);
        window.optOrder(0).SetValue(LSort() != 0);
        window.optOrder(1).SetValue(static_cast<uint8_t>(~LSort()) != 0);
        break;
    case 3:
        window.chkDefault(3).SetValue(WDefault() != 0);
        window.optOrder(3).SetValue(WSort() != 0);
        window.optOrder(2).SetValue(static_cast<uint8_t>(~WSort()) != 0);
        break;
    case 4:
        window.chkProgram(0).SetValue(Interface_Transp() != 0);
        window.chkProgram(1).SetValue(Interface_Shadow() != 0);
        window.chkProgram(2).SetValue(OnTOP() != 0);
        window.chkProgram(3).SetValue(Sound() != 0);
        window.chkProgram(4).SetValue(Autostart() != 0);
        break;
    default:
        break;
    }
}

void clsSetari::SaveSettings(SettingsForm& window, int page) {
    if (window.Name() != "frmMain") return;
    switch (page) {
    case 0:
        SetTranspLevel(window.LevelVAL());
        SetTranspStartMenu(CheckBoxByte(window.chkTaskTransp(0)));
        SetTranspTaskbar(CheckBoxByte(window.chkTaskTransp(1)));
        break;
    case 2:
        SetLDefault(CheckBoxByte(window.chkDefault(2)));
        SetLSort(OptionByte(window.optOrder(0)));
        break;
    case 3:
        SetWDefault(CheckBoxByte(window.chkDefault(3)));
        SetWSort(OptionByte(window.optOrder(3)));
        break;
    case 4:
        SetInterface_Transp(CheckBoxByte(window.chkProgram(0)));
        SetInterface_Shadow(CheckBoxByte(window.chkProgram(1)));
        SetOnTOP(CheckBoxByte(window.chkProgram(2)));
        SetSound(CheckBoxByte(window.chkProgram(3)));
        SetAutostart(CheckBoxByte(window.chkProgram(4)));
        break;
    default:
        break;
    }
}

} // namespace tsln
