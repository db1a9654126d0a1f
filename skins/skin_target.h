// What the skin manager needs of the windows it skins and of the skins page's controls. The main window
// and the dialogs implement these; they forward the movie calls to their movie player.
#pragma once
#include "core/app_error.h"
#include "shellutil/load_res_picture.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

namespace tsln {

// Anything that takes the skin's two colours: a control, or the window itself.
class SkinColorable {
public:
    // False (or an AppError) when it has no such colour or refuses the value; it is then passed over.
    virtual bool SetBackColor(COLORREF color) = 0;
    virtual bool SetForeColor(COLORREF color) = 0;

protected:
    ~SkinColorable() = default;
};

// The skin's movie in the main window (the window forwards each call to its movie player).
class SkinMovie {
public:
    // The frame now shown; below 1 before any movie was loaded.
    virtual long CurrentFrame() = 0;
    // Loads the movie file whole: the file may be deleted as soon as this returns.
    virtual void SetMovie(const std::string& path) = 0;
    // Places the player in its window, in pixels of the window.
    virtual void Move(int left, int top, int width, int height) = 0;
    virtual void GotoFrame(long frame) = 0;
    virtual void Play() = 0;

protected:
    ~SkinMovie() = default;
};

// A window the skin is applied to (the main window, or a dialog while it is loaded).
class SkinTarget : public SkinColorable {
public:
    virtual HWND Hwnd() const = 0;
    // The unit the window's shape control is measured in (a scale:: value).
    virtual int ScaleMode() const { return 1; }
    // Every control of the window, each offered its colours.
    virtual void ForEachControl(const std::function<void(SkinColorable& control)>& visit) = 0;

    // The main window's page area (twips inside the window) and its movie; a dialog has neither, and
    // applying a whole skin to it fails.
    virtual void SetRTop(int16_t twips) { RaiseNoSuchMember(); }
    virtual void SetRLeft(int16_t twips) { RaiseNoSuchMember(); }
    virtual SkinMovie* Movie() { return nullptr; }

protected:
    ~SkinTarget() = default;
    [[noreturn]] static void RaiseNoSuchMember() { TSLN_FAIL(err::kNoSuchMember); }
};

// The four controls of the main window's skins page, bound by the window to its real controls.
struct SkinsPageControls {
    // cboLista(4), a drop-down list of skin names.
    std::function<void()> ClearList;
    std::function<void(const std::string& line)> AddToList;
    std::function<std::string()> ListText;
    std::function<void(const std::string& text)> SetListText; // selects the line with that text
    std::function<void(bool enabled)> EnableList;
    // imgPreview(4): takes over the loaded screenshot.
    std::function<void(unique_picture picture)> ShowPreview;
    // lblDescription(4).
    std::function<void(const std::string& text)> SetDescription;
    // cmdApply(4).
    std::function<void(bool enabled)> EnableApply;
};

} // namespace tsln
