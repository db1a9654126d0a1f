// The base of the program's controls: a real child window and the object that serves it. The object does
// not own the window (a child dies with its parent); it receives the window's messages and the
// notifications its parent gets on its behalf, and forgets the window when either of the two goes first.
#pragma once
#include "core/app_error.h"
#include "core/unique_any.h"
#include "core/window.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tsln {

// A position and size in twips, relative to the parent's inside.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A colour as the properties take it: 0x00BBGGRR, or 0x800000nn for the system colour nn (COLOR_*).
using Color = uint32_t;
constexpr Color SystemColor(int index) {
    return 0x80000000u | static_cast<Color>(index);
}
// The platform colour of `color`; raises an AppError (380) for a value that is neither.
COLORREF ToColorRef(Color color);

// A font as the properties take it; `size` is in points (8.25 is the usual dialog size).
struct FontSpec {
    std::string name;
    double size = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

class Control : public ReflectedTarget {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    Control(Control&&) = delete;
    Control& operator=(Control&&) = delete;
    // Lets the window go on without this object (the window itself stays with its parent).
    virtual ~Control();

    // nullptr once the window is gone.
    HWND hwnd() const { return hwnd_; }

    // Whether the control is actually shown: false while it or any window that holds it is hidden.
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // The caption or content.
    virtual std::string Text() const;
    virtual void SetText(const std::string& text);

    // Position and size in twips, at the screen's dots per inch; the position is relative to the parent.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int twips);
    void SetTop(int twips);
    void SetWidth(int twips);
    void SetHeight(int twips);
    void Move(const Bounds& twips);

    // Colours; a kind without the property raises an AppError (438) from the setter, a bad value
    // one (380). Setting either takes the control off the system's colours.
    bool HasBackColor() const { return hasBack_; }
    bool HasForeColor() const { return hasFore_; }
    Color BackColor() const { return back_; }
    Color ForeColor() const { return fore_; }
    void SetBackColor(Color color);
    void SetForeColor(Color color);

    FontSpec Font() const;
    void SetFont(const FontSpec& font);

    // The name in failure reports: "chkProgram" with index 3 reports "Tessaline.chkProgram_Click".
    void SetName(std::string name, int index = -1);
    const std::string& Name() const { return name_; }
    int Index() const { return index_; }

protected:
    enum ColorSupport : unsigned { kNoColors = 0, kBack = 1, kFore = 2, kBackAndFore = 3 };
    Control(const char* kind, ColorSupport colors, Color back, Color fore);

    // Creates the child window and binds it to this object; raises an AppError when it cannot be made.
    void CreateChild(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle,
                     const Bounds& twips);
    // Binds a further window that the control consists of (a combo box's list) for its colours.
    void BindPart(HWND part);

    // The control's own messages, after its children's notifications went to their objects; the default
    // passes them to the window's own procedure.
    virtual LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam);
    // The control's notification (WM_COMMAND code) from its parent; true when handled. By default the
    // one notification named to RaiseOnCommand raises its event.
    virtual bool OnCommand(WORD code);
    void RaiseOnCommand(WORD code, const char* event, std::function<void()>& handler);
    // The height of the window for a control `heightPx` pixels high (a combo box adds its list).
    virtual int WindowHeight(int heightPx) const { return heightPx; }
    // After a colour or font change, before the redraw.
    virtual void OnAppearanceChanged() {}

    // Runs an event handler with its arguments: nothing escapes from it; a failure is reported (silent,
    // logged) under the control's name and the event.
    template <typename... Params, typename... Args>
    void Raise(const char* event, const std::function<void(Params...)>& handler, Args&&... args) {
        if (!handler) return;
        // The handler may release this object (closing its window): it runs from a copy, and the source
        // is taken before.
        std::string source;
        try {
            source = EventSource(event);
            const std::function<void(Params...)> run = handler;
            run(std::forward<Args>(args)...);
        } catch (...) {
            HandleFailure(source.empty() ? "Tessaline.Control_Event" : source.c_str(), kSilent);
        }
    }

    bool ColorsSet() const { return colorsSet_; }
    COLORREF BackColorRef() const;
    COLORREF ForeColorRef() const;
    HBRUSH BackBrush() const { return static_cast<HBRUSH>(brush_.get()); }
    HFONT FontHandle() const;

    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();
    std::string EventSource(const char* event) const { return "Tessaline." + name_ + "_" + event; }
    void Redraw();
    void Place(int leftPx, int topPx, int widthPx, int heightPx);
    RECT RectInParent() const;

    HWND hwnd_ = nullptr;
    std::vector<HWND> parts_;
    WORD commandCode_ = 0;
    const char* commandEvent_ = nullptr;
    std::function<void()>* commandHandler_ = nullptr;
    std::string name_;
    int index_ = -1;
    const bool hasBack_;
    const bool hasFore_;
    bool colorsSet_ = false;
    Color back_;
    Color fore_;
    unique_gdi brush_;
    unique_gdi font_;
};

// The object of a control's window, or nullptr.
Control* FindControl(HWND hwnd);
// The control objects of every window inside `window` (children, their children, ...), in the platform's
// order; `directOnly` takes only its children.
std::vector<Control*> ControlsOf(HWND window, bool directOnly = false);

} // namespace tsln
