#include "ui/controls/control.h"
#include "core/units.h"

#include <cmath>
#include <cstring>

namespace tsln {

namespace {
// The object of a control's window, and the window procedure that it stands in front of.
const char kControlProp[] = "Tessaline.Control";
const char kProcProp[] = "Tessaline.ControlProc";

HFONT DefaultFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

unique_gdi SolidBrush(Color color) {
    unique_gdi brush(CreateSolidBrush(ToColorRef(color)));
    if (!brush) TSLN_FAIL(err::kOutOfMemory);
    return brush;
}

bool IsControlColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}
} // namespace

COLORREF ToColorRef(Color color) {
    const Color kind = color & 0xFF000000u;
    const Color index = color & 0x00FFFFFFu;
    if (kind == 0) return color;
    if (kind == 0x80000000u && index <= COLOR_MENUBAR) return GetSysColor(static_cast<int>(index));
    TSLN_FAIL(err::kInvalidPropertyValue);
}

Control::Control(const char* kind, ColorSupport colors, Color back, Color fore)
    : name_(kind), hasBack_((colors & kBack) != 0), hasFore_((colors & kFore) != 0), back_(back),
      fore_(fore) {
    if (hasBack_) brush_ = SolidBrush(back_);
}

Control::~Control() {
    Detach();
}

void Control::CreateChild(HWND parent, const char* className, const std::string& text, DWORD style,
                          DWORD exStyle, const Bounds& twips) {
    const int dpiX = ScreenDpiX(), dpiY = ScreenDpiY();
    HWND hwnd = CreateWindowExA(
        exStyle, className, text.c_str(), style | WS_CHILD, TwipsToPixels(twips.left, dpiX),
        TwipsToPixels(twips.top, dpiY), TwipsToPixels(twips.width, dpiX),
        WindowHeight(TwipsToPixels(twips.height, dpiY)), parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr) throw Win32Failure(GetLastError(), __LINE__);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    const auto original = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    SetPropA(hwnd, kProcProp, reinterpret_cast<HANDLE>(original));
    SetPropA(hwnd, kControlProp, reinterpret_cast<HANDLE>(this));
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::SubclassProc));
    BindReflectedTarget(hwnd, this);
    hwnd_ = hwnd;
}

void Control::BindPart(HWND part) {
    if (part == nullptr || part == hwnd_) return;
    BindReflectedTarget(part, this);
    parts_.push_back(part);
}

void Control::Detach() {
    if (hwnd_ == nullptr) return;
    for (HWND part : parts_) {
        if (IsWindow(part) && FindReflectedTarget(part) == this) BindReflectedTarget(part, nullptr);
    }
    parts_.clear();
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    BindReflectedTarget(hwnd, nullptr);
    RemovePropA(hwnd, kControlProp);
    // The window outlives this object: it must not keep our font.
    if (font_) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Control::SubclassProc)) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropA(hwnd, kProcProp)));
        RemovePropA(hwnd, kProcProp);
    }
    // Otherwise a later subclass sits on top: ours stays in the chain and passes everything on.
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kProcProp));
    if (original == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    auto* self = static_cast<Control*>(GetPropA(hwnd, kControlProp));
    if (message == WM_NCDESTROY) {
        if (self != nullptr) self->Detach();
        RemovePropA(hwnd, kProcProp);
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    if (self == nullptr) return CallWindowProcA(original, hwnd, message, wParam, lParam);

    LRESULT result = 0;
    try {
        // A control that holds others (a panel, a frame) passes their notifications to their objects.
        if (ReflectToChild(message, wParam, lParam, result)) return result;
        return self->WindowMessage(message, wParam, lParam);
    } catch (...) {
        // The handler may have released the object: name it only while it is still bound.
        std::string source = "Tessaline.Control_WindowProc";
        try {
            if (auto* still = static_cast<Control*>(GetPropA(hwnd, kControlProp)))
                source = still->EventSource("WindowProc");
        } catch (...) {
            // Out of memory: the general source serves.
        }
        HandleFailure(source.c_str(), kSilent);
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
}

LRESULT Control::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallOriginal(message, wParam, lParam);
}

LRESULT Control::CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd_, kProcProp));
    return original != nullptr ? CallWindowProcA(original, hwnd_, message, wParam, lParam)
                               : DefWindowProcA(hwnd_, message, wParam, lParam);
}

bool Control::OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (IsControlColorMessage(message)) {
        if (!colorsSet_ || !brush_) return false;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, BackColorRef());
        if (hasFore_) SetTextColor(dc, ForeColorRef());
        result = reinterpret_cast<LRESULT>(brush_.get());
        return true;
    }
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == hwnd_) return OnCommand(HIWORD(wParam));
    return false;
}

void Control::RaiseOnCommand(WORD code, const char* event, std::function<void()>& handler) {
    commandCode_ = code;
    commandEvent_ = event;
    commandHandler_ = &handler;
}

bool Control::OnCommand(WORD code) {
    if (commandHandler_ == nullptr || code != commandCode_) return false;
    Raise(commandEvent_, *commandHandler_);
    return true;
}

bool Control::Visible() const {
    return hwnd_ != nullptr && IsWindowVisible(hwnd_) != FALSE;
}

void Control::SetVisible(bool visible) {
    if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::Enabled() const {
    return hwnd_ != nullptr && IsWindowEnabled(hwnd_) != FALSE;
}

void Control::SetEnabled(bool enabled) {
    if (hwnd_ != nullptr) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

std::string Control::Text() const {
    if (hwnd_ == nullptr) return {};
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd_, &text[0], static_cast<int>(text.size()))));
    return text;
}

void Control::SetText(const std::string& text) {
    if (hwnd_ != nullptr) SetWindowTextA(hwnd_, text.c_str());
}

RECT Control::RectInParent() const {
    RECT rect = {};
    if (hwnd_ == nullptr) return rect;
    GetWindowRect(hwnd_, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Control::Left() const {
    return PixelsToTwips(RectInParent().left, ScreenDpiX());
}
int Control::Top() const {
    return PixelsToTwips(RectInParent().top, ScreenDpiY());
}
int Control::Width() const {
    const RECT rect = RectInParent();
    return PixelsToTwips(rect.right - rect.left, ScreenDpiX());
}
int Control::Height() const {
    const RECT rect = RectInParent();
    return PixelsToTwips(rect.bottom - rect.top, ScreenDpiY());
}

void Control::Place(int leftPx, int topPx, int widthPx, int heightPx) {
    if (hwnd_ != nullptr)
        SetWindowPos(hwnd_, nullptr, leftPx, topPx, widthPx, WindowHeight(heightPx),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetLeft(int twips) {
    const RECT r = RectInParent();
    Place(TwipsToPixels(twips, ScreenDpiX()), r.top, r.right - r.left, r.bottom - r.top);
}
void Control::SetTop(int twips) {
    const RECT r = RectInParent();
    Place(r.left, TwipsToPixels(twips, ScreenDpiY()), r.right - r.left, r.bottom - r.top);
}
void Control::SetWidth(int twips) {
    const RECT r = RectInParent();
    Place(r.left, r.top, TwipsToPixels(twips, ScreenDpiX()), r.bottom - r.top);
}
void Control::SetHeight(int twips) {
    const RECT r = RectInParent();
    Place(r.left, r.top, r.right - r.left, TwipsToPixels(twips, ScreenDpiY()));
}
void Control::Move(const Bounds& twips) {
    const int dpiX = ScreenDpiX(), dpiY = ScreenDpiY();
    Place(TwipsToPixels(twips.left, dpiX), TwipsToPixels(twips.top, dpiY), TwipsToPixels(twips.width, dpiX),
          TwipsToPixels(twips.height, dpiY));
}

COLORREF Control::BackColorRef() const {
    return ToColorRef(back_);
}
COLORREF Control::ForeColorRef() const {
    return ToColorRef(fore_);
}

void Control::SetBackColor(Color color) {
    if (!hasBack_) TSLN_FAIL(err::kNoSuchMember);
    brush_ = SolidBrush(color);
    back_ = color;
    colorsSet_ = true;
    OnAppearanceChanged();
    Redraw();
}

void Control::SetForeColor(Color color) {
    if (!hasFore_) TSLN_FAIL(err::kNoSuchMember);
    ToColorRef(color); // refuses a bad value before anything changes
    fore_ = color;
    colorsSet_ = true;
    OnAppearanceChanged();
    Redraw();
}

HFONT Control::FontHandle() const {
    if (font_) return static_cast<HFONT>(font_.get());
    HFONT font = hwnd_ != nullptr ? reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0)) : nullptr;
    return font != nullptr ? font : DefaultFont();
}

FontSpec Control::Font() const {
    LOGFONTA log = {};
    GetObjectA(FontHandle(), sizeof log, &log);
    FontSpec font;
    font.name = log.lfFaceName;
    font.size = std::fabs(static_cast<double>(log.lfHeight)) * 72.0 / ScreenDpiY();
    font.bold = log.lfWeight >= FW_BOLD;
    font.italic = log.lfItalic != 0;
    font.underline = log.lfUnderline != 0;
    return font;
}

void Control::SetFont(const FontSpec& wanted) {
    if (wanted.size <= 0 || wanted.size > 2048) TSLN_FAIL(err::kInvalidPropertyValue);
    LOGFONTA log = {};
    log.lfHeight = -static_cast<LONG>(std::lround(wanted.size * ScreenDpiY() / 72.0));
    log.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    log.lfItalic = wanted.italic ? TRUE : FALSE;
    log.lfUnderline = wanted.underline ? TRUE : FALSE;
    log.lfCharSet = DEFAULT_CHARSET;
    log.lfQuality = DEFAULT_QUALITY;
    strncpy(log.lfFaceName, wanted.name.c_str(), LF_FACESIZE - 1);
    unique_gdi font(CreateFontIndirectA(&log));
    if (!font) TSLN_FAIL(err::kOutOfMemory);
    if (hwnd_ != nullptr) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    font_ = std::move(font); // the window has let go of the old one
    OnAppearanceChanged();
    Redraw();
}

void Control::Redraw() {
    if (hwnd_ != nullptr)
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    for (HWND part : parts_)
        if (IsWindow(part)) InvalidateRect(part, nullptr, TRUE);
}

void Control::SetName(std::string name, int index) {
    name_ = std::move(name);
    index_ = index;
}

Control* FindControl(HWND hwnd) {
    return hwnd != nullptr ? static_cast<Control*>(GetPropA(hwnd, kControlProp)) : nullptr;
}

namespace {
struct Collected {
    std::vector<Control*> controls;
    bool failed = false;
};

BOOL CALLBACK CollectControl(HWND hwnd, LPARAM collected) {
    auto& into = *reinterpret_cast<Collected*>(collected);
    try {
        if (Control* control = FindControl(hwnd)) into.controls.push_back(control);
        return TRUE;
    } catch (...) {
        into.failed = true; // out of memory; raised once the platform's walk has returned
        return FALSE;
    }
}
} // namespace

std::vector<Control*> ControlsOf(HWND window, bool directOnly) {
    if (window == nullptr) return {};
    if (directOnly) {
        std::vector<Control*> children;
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            if (Control* control = FindControl(child)) children.push_back(control);
        return children;
    }
    Collected collected;
    EnumChildWindows(window, &CollectControl, reinterpret_cast<LPARAM>(&collected));
    if (collected.failed) TSLN_FAIL(err::kOutOfMemory);
    return std::move(collected.controls);
}

} // namespace tsln
