#include "effects/shell_transparency.h"
#include "core/app_error.h"
#include "core/registry_routines.h"
#include "effects/clsTranspEffects.h"

namespace tsln {

namespace {
const char* const kClassicSource = "Tessaline.modMain.IsClassicStartMenu";

constexpr size_t kStyleByte = 32;            // in "ShellState": 0 = classic Start menu
constexpr size_t kEffectsByte = 1;           // in "UserPreferencesMask"
constexpr uint8_t kMenuFadeAndShadow = 0x3E; // menu fade and cursor shadow on
constexpr uint8_t kWithoutFadeAndShadow = 0x1C;

// The program-wide Start menu window of the last treatment.
HWND gStartMenuHwnd = nullptr;

// A raw-bytes value below HKEY_CURRENT_USER; anything else (a missing value too) is a Type mismatch.
RegValue::Bytes ReadBytes(RegistryRoutines& reg, const char* keyRoot, const char* subkey, const char* name) {
    reg.SetKeyRoot(keyRoot);
    reg.SetSubkey(subkey);
    const RegValue value = reg.GetRegistryValue(name);
    // Named, so that a log read later tells which value was not in the form its owner writes.
    if (!value.IsBytes())
        TSLN_FAIL(err::kTypeMismatch.number, std::string(err::kTypeMismatch.text) + ": the stored value " +
                                                 subkey + "\\" + name + " is not a binary value");
    return value.AsBytes();
}

// With `lastFailed`, a failure is logged only when the previous call succeeded.
bool ClassicStartMenu(bool* lastFailed) {
    bool classic = false;
    try {
        RegistryRoutines reg;
        reg.SetHkey(HKEY_CURRENT_USER);
        const RegValue::Bytes state =
            ReadBytes(reg, "Software\\Microsoft\\Windows\\CurrentVersion", "Explorer", "ShellState");
        classic = state.size() > kStyleByte && state[kStyleByte] == 0;
        if (classic) {
            RegValue::Bytes mask = ReadBytes(reg, "Control Panel", "Desktop", "UserPreferencesMask");
            if (mask.size() > kEffectsByte && mask[kEffectsByte] == kMenuFadeAndShadow) {
                mask[kEffectsByte] = kWithoutFadeAndShadow;
                reg.SetRegistryValue("UserPreferencesMask", RegValue(mask), REG_BINARY);
            }
        }
        if (lastFailed != nullptr) *lastFailed = false;
    } catch (...) {
        if (lastFailed == nullptr || !*lastFailed) HandleFailure(kClassicSource, kSilent);
        if (lastFailed != nullptr) *lastFailed = true;
    }
    return classic;
}

HWND StartMenuWindow(bool classic) {
    return classic ? FindWindowA("BaseBar", nullptr) : FindWindowA("DV2ControlHost", "Start Menu");
}
} // namespace

HWND StartMenuHwnd() {
    return gStartMenuHwnd;
}

void SetStartMenuHwnd(HWND hwnd) {
    gStartMenuHwnd = hwnd;
}

bool IsClassicStartMenu() {
    return ClassicStartMenu(nullptr);
}

HWND FindTaskbarWindow() {
    return FindWindowA("Shell_TrayWnd", nullptr);
}

HWND FindStartMenuWindow() {
    return StartMenuWindow(IsClassicStartMenu());
}

void ApplyTaskbarTransparency(clsTranspEffects& effects) {
    uint8_t level = 0;
    effects.MakeTransp(TranspTarget::Taskbar, level);
}

void ReapplyShellTransparency() {
    SetStartMenuHwnd(nullptr);
    clsTranspEffects effects;
    ApplyTaskbarTransparency(effects);
}

void StartMenuPoll::Poll(clsTranspEffects& effects) {
    const HWND menu = StartMenuWindow(ClassicStartMenu(&readFailing_));
    if (menu == nullptr || !IsWindowVisible(menu) || menu == gStartMenuHwnd) return;
    uint8_t level = 0;
    effects.MakeTransp(TranspTarget::StartMenu, level);
    ApplyTaskbarTransparency(effects);
    gStartMenuHwnd = menu;
}

} // namespace tsln
