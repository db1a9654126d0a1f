// The settings store: every persistent setting of the program, read from and written to the registry at
// the moment it is asked for. Nothing is cached, so any number of these objects may live at once.
#pragma once
#include "core/collection_kind.h"
#include "core/registry_routines.h"
#include "core/settings_form.h"
#include "core/settings_lists.h"
#include "core/wallpaper_fit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tsln {

// Major, minor and revision joined by "." without leading zeros (1.8.8).
std::string ProgramVersionText();
// The Run value that starts this executable at log-on: its folder, "\", its base name, ".exe -s".
std::string AutostartCommand();

// Logs the failure being handled (call only inside a catch block) as one about the stored value at
// `place` ("Settings\OnTOP"), its description ended by `consequence`: once, and again only when the place
// holds another value than when last logged. The agent reads some values at every scheduled change, and
// an entry each time would fill the log with one line; the memory is program-wide, as the log is.
void LogUnreadableOnce(const std::string& place, const RegValue& stored, const std::string& consequence,
                       const std::string& source);

class clsSetari;

// The settings of one kind of collection: the same value names under the kind's own key ("Wallpapers" or
// "Logons") and list key. Failures as the store's properties.
class CollectionSettings {
public:
    uint8_t Sort();
    void SetSort(uint8_t value);
    uint8_t Default();
    void SetDefault(uint8_t value);
    std::string Interval();
    void SetInterval(const std::string& value);
    std::string Current();
    void SetCurrent(const std::string& value);
    std::string DefaultDir();
    void SetDefaultDir(const std::string& value);
    ListPairs OtherFiles();
    void SetOtherFiles(const std::vector<std::string>& texts);

private:
    friend class clsSetari;
    CollectionSettings(clsSetari& store, tType kind);
    clsSetari& store_;
    const char* key_;
    const char* listKey_;
};

class clsSetari {
public:
    // Registers the program (folder and version, machine-wide when allowed, and per user), creates the
    // product keys and, on a user's very first run, turns start-with-Windows on. Failures are reported.
    clsSetari();
    clsSetari(const clsSetari&) = delete;
    clsSetari& operator=(const clsSetari&) = delete;

    // A stored value that cannot be read as its property's type (no number, out of a byte's range,
    // bytes where a text belongs) reads as the property's default and is logged once; the stored value
    // stays until the property is written. Writes that cannot open their key do nothing.
    int32_t Left();
    void SetLeft(int32_t value);
    int32_t Top();
    void SetTop(int32_t value);
    // Blanks in the stored name come back as "_".
    std::string Skin();
    void SetSkin(const std::string& value);
    uint8_t Interface_Transp();
    void SetInterface_Transp(uint8_t value);
    uint8_t Interface_Shadow();
    void SetInterface_Shadow(uint8_t value);
    uint8_t OnTOP();
    void SetOnTOP(uint8_t value);
    uint8_t Sound();
    void SetSound(uint8_t value);
    // 76..230; anything else, stored or given, counts as 230.
    uint8_t TranspLevel();
    void SetTranspLevel(uint8_t value);
    uint8_t TranspStartMenu();
    void SetTranspStartMenu(uint8_t value);
    uint8_t TranspTaskbar();
    void SetTranspTaskbar(uint8_t value);

    // One kind's settings; the W and L properties below are those of Collection(Wallpapers) and
    // Collection(Logons).
    CollectionSettings Collection(tType kind);

    uint8_t WSort();
    void SetWSort(uint8_t value);
    uint8_t LSort();
    void SetLSort(uint8_t value);
    uint8_t WDefault();
    void SetWDefault(uint8_t value);
    uint8_t LDefault();
    void SetLDefault(uint8_t value);
    std::string WInterval();
    void SetWInterval(const std::string& value);
    std::string LInterval();
    void SetLInterval(const std::string& value);
    std::string WCurrent();
    void SetWCurrent(const std::string& value);
    std::string LCurrent();
    void SetLCurrent(const std::string& value);
    std::string WDefaultDir();
    void SetWDefaultDir(const std::string& value);
    // "Fit" beside the wallpaper settings; a missing, unreadable or unknown value reads as stretch.
    WallpaperFit WFit();
    void SetWFit(WallpaperFit value);
    std::string LDefaultDir();
    void SetLDefaultDir(const std::string& value);

    // The lists: (value name, text) pairs in list order; written as "1".."N".
    ListPairs WOtherFiles();
    void SetWOtherFiles(const std::vector<std::string>& texts);
    ListPairs LOtherFiles();
    void SetLOtherFiles(const std::vector<std::string>& texts);

    // 1 when the Run value starts this executable; otherwise 0, and a stale Run value is removed.
    uint8_t Autostart();
    void SetAutostart(uint8_t value);

    // Copy one page's controls of the main window from or to the store; any other window, or a page
    // without stored controls, is left alone.
    void ReadSettings(SettingsForm& window, int page);
    void SaveSettings(SettingsForm& window, int page);

private:
    friend class CollectionSettings;
    int32_t ReadLong(const char* subkey, const char* name, int32_t defaultValue);
    uint8_t ReadByte(const char* subkey, const char* name, uint8_t defaultValue);
    std::string ReadText(const char* subkey, const char* name, const char* defaultValue);
    void WriteNumber(const char* subkey, const char* name, int32_t value);
    void WriteText(const char* subkey, const char* name, const std::string& value);
    ListPairs ReadList(const char* listKey);
    void WriteList(const char* listKey, const std::vector<std::string>& texts);

    RegistryRoutines reg_;
};

} // namespace tsln
