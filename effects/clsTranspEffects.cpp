#include "effects/clsTranspEffects.h"
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/unique_any.h"
#include "effects/shell_transparency.h"

#include <algorithm>
#include <cmath>

namespace tsln {

namespace {
const char* const kShowTransparencySource = "Tessaline.clsTranspEffects.ShowTransparency";

// The level a shell window takes: opaque when its own setting is off, else the given level, or the
// stored one when none is given.
uint8_t ShellWindowLevel(uint8_t windowSetting, uint8_t level, clsSetari& settings) {
    if (windowSetting == 0) return 255;
    return level == 0 ? settings.TranspLevel() : level;
}
} // namespace

clsTranspEffects::clsTranspEffects() = default;

clsTranspEffects::~clsTranspEffects() {
    EndRun(); // a running effect stops where it is
}

bool clsTranspEffects::Translucent() {
    if (!mFollowSetting || mSettings.Interface_Transp() != 0) return true;
    // Nothing is drawn translucent: a running effect passes through its steps at once and ends.
    if (mTimer) mTimer->SetInterval(1);
    return false;
}

void clsTranspEffects::ApplyLayered(HWND handle) {
    if (Translucent())
        SetWindowLongA(handle, GWL_EXSTYLE, GetWindowLongA(handle, GWL_EXSTYLE) | WS_EX_LAYERED);
}

void clsTranspEffects::ApplyLayered(HWND handle, uint8_t level) {
    if (Translucent()) SetLayeredWindowAttributes(handle, 0, level, LWA_ALPHA);
}

bool clsTranspEffects::FormShadow(HWND hWnd) {
    try {
        if (mSettings.Interface_Shadow() == 0) return true;
        SetLastError(0);
        const DWORD style = GetClassLongA(hWnd, GCL_STYLE);
        SetClassLongA(hWnd, GCL_STYLE, static_cast<LONG>(style | CS_DROPSHADOW));
        return GetLastError() == 0;
    } catch (...) {
        // A shadow is decoration: a setting that cannot be read leaves the window without one.
        return false;
    }
}

bool clsTranspEffects::MakeTransp(TranspTarget oWhat, uint8_t& iLevel, HWND hWnd,
                                  const std::string& sWindowName, const std::string& sClassName) {
    try {
        switch (oWhat) {
        case TranspTarget::Taskbar:
            mHwnd = FindTaskbarWindow();
            iLevel = ShellWindowLevel(mSettings.TranspTaskbar(), iLevel, mSettings);
            mFollowSetting = false;
            break;
        case TranspTarget::StartMenu:
            mHwnd = FindStartMenuWindow();
            iLevel = ShellWindowLevel(mSettings.TranspStartMenu(), iLevel, mSettings);
            mFollowSetting = false;
            break;
        case TranspTarget::GivenWindow:
            if (hWnd != nullptr) {
                mHwnd = hWnd;
            } else {
                if (sWindowName.empty() && sClassName.empty()) return false;
                mHwnd = FindWindowA(sClassName.empty() ? nullptr : sClassName.c_str(),
                                    sWindowName.empty() ? nullptr : sWindowName.c_str());
            }
            break;
        default:
            break; // any other selector treats the window last targeted
        }
        // A missing window (handle 0) makes these calls fail without notice.
        ApplyLayered(mHwnd);
        ApplyLayered(mHwnd, iLevel);
        return true;
    } catch (...) {
        RaiseDone(Abandon());
        return false;
    }
}

void clsTranspEffects::NewTimer(int16_t speed) {
    mTimer = std::make_unique<XTimer>();
    mTimer->Tick = [this] { mTimer_Tick(); };
    mTimer->SetInterval(speed);
}

bool clsTranspEffects::Transition(HWND lFrom_FRM, HWND lTo_FRM, uint8_t iAmount, int16_t iSpeed,
                                  uint8_t iFromTransp, uint8_t iToTransp) {
    // A step of 0 would never end, nor would a timer that never ticks.
    if (mState != kIdle || iAmount == 0 || iSpeed < 1) return false;
    auto undo = make_scope_exit([this] { EndRun(); });
    NewTimer(iSpeed);
    mFromForm = lFrom_FRM;
    mToForm = lTo_FRM;
    mCurrent = iFromTransp;
    mTarget = iToTransp;
    mStep = iAmount;
    mFirstTick = true;
    ApplyLayered(mFromForm);
    ApplyLayered(mToForm);
    if (mSettings.OnTOP() != 0) OnTOP(true, lTo_FRM);
    mState = kCrossFade;
    mTimer->SetEnabled(true);
    undo.dismiss();
    return true;
}

bool clsTranspEffects::Fade(HWND lWhat_FRM, int16_t iAmount, int16_t iSpeed, uint8_t iInitialValue,
                            uint8_t iFinalValue) {
    if (mState != kIdle || iAmount == 0 || iSpeed < 1) return false;
    auto undo = make_scope_exit([this] { EndRun(); });
    NewTimer(iSpeed);
    mToForm = lWhat_FRM;
    EnableWindow(mToForm, FALSE);
    mInputTaken = true;
    mCurrent = iInitialValue;
    mTarget = iFinalValue;
    mStep = std::clamp<int16_t>(iAmount, -255, 255);
    ApplyLayered(mToForm);
    mState = kFade;
    mTimer->SetEnabled(true);
    undo.dismiss();
    return true;
}

void clsTranspEffects::OnTOP(bool bOnTop, HWND hWnd) {
    SetWindowPos(hWnd, bOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void clsTranspEffects::ShowTransparency(PictureSurface& cSrc, PictureSurface& cDest, uint8_t nLevel) {
    try {
        cDest.Cls();
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, nLevel, 0};
        const int width = static_cast<int>(std::lrint(cSrc.ScaleWidth()));
        const int height = static_cast<int>(std::lrint(cSrc.ScaleHeight()));
        AlphaBlend(cDest.hDC(), 0, 0, width, height, cSrc.hDC(), 0, 0, width, height, blend);
        cDest.Refresh();
    } catch (...) {
        // This report names its source right after the empty line, without the "Debug Information:" line.
        std::string report = BuildReport(CurrentFailure(), kShowTransparencySource);
        const std::string debugLine = "Debug Information:\r\n";
        const size_t at = report.rfind(debugLine);
        if (at != std::string::npos) report.erase(at, debugLine.size());
        ReportError(report, kShown);
    }
}

std::string clsTranspEffects::LastError() {
    return std::exchange(mLastError, std::string());
}

bool clsTranspEffects::FadeStep() {
    const int sum = mCurrent + mStep;
    if (mStep > 0) {
        if (mCurrent >= mTarget) return false;
        mCurrent = sum >= mTarget ? mTarget : static_cast<uint8_t>(sum);
    } else {
        if (mCurrent <= mTarget) return false;
        mCurrent = sum <= mTarget ? mTarget : static_cast<uint8_t>(sum);
    }
    ApplyLayered(mToForm, mCurrent);
    return true;
}

bool clsTranspEffects::CrossFadeStep() {
    if (mFirstTick) {
        mStartFrom = mCurrent;
        mStartTo = mTarget;
        mFirstTick = false;
    }
    if (mCurrent <= mStartTo) return false;
    // The two alphas always add up to the two start alphas; the last step lands on them swapped.
    if (mCurrent - mStep > mStartTo) {
        mCurrent = static_cast<uint8_t>(mCurrent - mStep);
        mTarget = static_cast<uint8_t>(mTarget + mStep);
    } else {
        mCurrent = mStartTo;
        mTarget = mStartFrom;
    }
    ApplyLayered(mFromForm, mCurrent);
    ApplyLayered(mToForm, mTarget);
    return true;
}

void clsTranspEffects::EndRun() {
    if (mTimer) mTimer->SetEnabled(false);
    mState = kIdle;
    if (mInputTaken) EnableWindow(mToForm, TRUE);
    mInputTaken = false;
}

std::string clsTranspEffects::Abandon() {
    try {
        const AppError failure = CurrentFailure();
        mLastError = std::to_string(failure.number) + " - " + failure.description;
    } catch (...) {
        mLastError = "7 - Out of memory";
    }
    // A failed effect still gives the faded window its input back: it would otherwise stay unusable.
    EndRun();
    return mLastError;
}

void clsTranspEffects::RaiseDone(const std::string& text) {
    // A copy: the handler may release this object, and with it Done itself.
    std::function<void(const std::string&)> handler = Done;
    if (handler) handler(text);
}

void clsTranspEffects::mTimer_Tick() {
    std::string text;
    bool ended = false;
    try {
        if (mState == kFade)
            ended = !FadeStep();
        else if (mState == kCrossFade)
            ended = !CrossFadeStep();
        if (ended) EndRun();
    } catch (...) {
        text = Abandon();
        ended = true;
    }
    if (!ended) return;
    try {
        RaiseDone(text); // the last use of this object: the handler may release it
    } catch (...) {
        // The handler's own failure is its business; nothing may escape into the timer's dispatch.
    }
}

} // namespace tsln
