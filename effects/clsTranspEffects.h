// How the program's windows and the shell's taskbar and Start menu are composed on screen: constant
// translucency, fades, cross-fades, drop shadows, topmost placement and a translucency preview.
#pragma once
#include "core/clsSetari.h"
#include "rotation/timers/xtimer.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tsln {

// The window MakeTransp treats.
enum class TranspTarget : int32_t {
    Taskbar = 0,     // the shell's taskbar
    StartMenu = 1,   // the shell's Start menu, classic or XP style
    GivenWindow = 3, // the window whose handle (or class and title) is given
};

// A picture panel of a window, as the translucency preview draws on it.
class PictureSurface {
public:
    virtual HDC hDC() = 0;
    // The drawing area in pixels.
    virtual double ScaleWidth() = 0;
    virtual double ScaleHeight() = 0;
    virtual void Cls() = 0;
    virtual void Refresh() = 0;

protected:
    ~PictureSurface() = default;
};

// One object per effect: a caller makes one, starts a fade or cross-fade (or treats a window at once) and
// drops it when Done arrives. Alphas are the layered-window alpha, 0 transparent to 255 opaque. Fades and
// cross-fades step on a window-less timer through the message loop, one at a time per object.
class clsTranspEffects {
public:
    clsTranspEffects();
    // A fade or cross-fade still running stops where it is; the faded window takes input again.
    ~clsTranspEffects();
    clsTranspEffects(const clsTranspEffects&) = delete;
    clsTranspEffects& operator=(const clsTranspEffects&) = delete;

    // With the Interface_Shadow setting on, gives the window's whole class a drop shadow (never removes
    // it). Failures are ignored; false when a platform call failed or the setting could not be read.
    bool FormShadow(HWND hWnd);

    // Makes a window layered with the alpha `iLevel` at once. For the taskbar and the Start menu the level
    // is 255 when that window's setting is off, else TranspLevel when `iLevel` is 0, and the level used is
    // written back; those two are treated whatever Interface_Transp says. GivenWindow takes `hWnd`, or,
    // when it is 0, the top-level window with that class and title (false when both are empty). A failure
    // ends a running effect, raises Done with its text and returns false.
    bool MakeTransp(TranspTarget oWhat, uint8_t& iLevel, HWND hWnd = nullptr,
                    const std::string& sWindowName = {}, const std::string& sClassName = {});

    // Cross-fades: `lFrom_FRM` goes from `iFromTransp` down to `iToTransp` while `lTo_FRM` goes up from
    // `iToTransp` to `iFromTransp`, `iAmount` per tick of `iSpeed` ms. With the OnTOP setting on, `lTo_FRM`
    // is put on top. Neither window's input is touched. False, doing nothing, when an effect runs, the step
    // is 0 or the tick is under 1 ms. Failures to start pass to the caller, leaving the object idle.
    bool Transition(HWND lFrom_FRM, HWND lTo_FRM, uint8_t iAmount, int16_t iSpeed, uint8_t iFromTransp,
                    uint8_t iToTransp);

    // Fades one window from `iInitialValue` to `iFinalValue` by `iAmount` (its sign gives the direction,
    // limited to -255..255) per tick of `iSpeed` ms; the window takes no input until the fade ends. The
    // first alpha is applied at the first tick. Refused like Transition; failures to start pass to the
    // caller, leaving the window as it was.
    bool Fade(HWND lWhat_FRM, int16_t iAmount, int16_t iSpeed, uint8_t iInitialValue, uint8_t iFinalValue);

    // Places the window above all others, or back among the normal ones. The OnTOP setting is stored by
    // its page alone, so that a stored value the program cannot read stays as the user left it.
    void OnTOP(bool bOnTop, HWND hWnd);

    // Clears `cDest` and draws `cSrc` onto it at the constant alpha `nLevel`, in the source's size.
    // Failures are reported to the user.
    void ShowTransparency(PictureSurface& cSrc, PictureSurface& cDest, uint8_t nLevel);

    // The text of the last failure ("13 - Type mismatch"), delivered once: reading clears it.
    std::string LastError();

    // Raised when a fade or cross-fade has ended (empty text) or failed, and when MakeTransp failed (the
    // failure text). The handler may release this object.
    std::function<void(const std::string&)> Done;

private:
    enum : int32_t { kCrossFade = 0, kFade = 1, kIdle = 2 };

    void ApplyLayered(HWND handle);
    void ApplyLayered(HWND handle, uint8_t level);
    bool Translucent();
    void NewTimer(int16_t speed);
    void mTimer_Tick();
    bool FadeStep();
    bool CrossFadeStep();
    void EndRun();
    std::string Abandon();
    void RaiseDone(const std::string& text);

    clsSetari mSettings;
    std::unique_ptr<XTimer> mTimer;
    HWND mHwnd = nullptr;
    HWND mFromForm = nullptr;
    HWND mToForm = nullptr;
    uint8_t mCurrent = 0;
    uint8_t mTarget = 0;
    int16_t mStep = 0;
    bool mFollowSetting = true;
    uint8_t mStartFrom = 0;
    uint8_t mStartTo = 0;
    bool mFirstTick = false;
    bool mInputTaken = false; // the running fade disabled mToForm and gives its input back at the end
    std::string mLastError;
    int32_t mState = kIdle;
};

} // namespace tsln
