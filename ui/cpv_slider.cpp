#include "ui/cpv_slider.h"
#include "core/units.h"

#include <windowsx.h>
#include <algorithm>

namespace tsln {

namespace {
// The slider's own thumb (when it has no picture) at 96 dots per inch: across and along the rail.
constexpr int kOwnThumbLength = 11;
constexpr int kOwnThumbThickness = 21;
constexpr int kEnabledRailStyle = 3;
constexpr int kDisabledRailStyle = 2;

[[noreturn]] void RefuseValue() {
    TSLN_FAIL(err::kInvalidPropertyValue);
}

int16_t ShiftOf(WPARAM keys) {
    int16_t shift = 0;
    if (keys & MK_SHIFT) shift |= 1;
    if (keys & MK_CONTROL) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

int16_t CurrentShift() {
    return ShiftOf((GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) |
                   (GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0));
}

POINT PointOf(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// The picture washed out to light greys, for a disabled thumb.
unique_gdi GreyedBitmap(HBITMAP picture) {
    std::vector<uint32_t> pixels = BitmapPixels(picture);
    for (uint32_t& pixel : pixels) {
        const uint32_t red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
        const uint32_t grey = ((red * 30 + green * 59 + blue * 11) / 100 * 2 + 255) / 3;
        pixel = (grey << 16) | (grey << 8) | grey;
    }
    const SIZE size = BitmapSize(picture);
    return BitmapOfPixels(pixels, size.cx, size.cy);
}

// A raised button-face thumb; while disabled it lies flat, outlined in the shadow colour.
void DrawOwnThumb(HDC dc, RECT thumb, bool enabled) {
    if (enabled) {
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        return;
    }
    FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &thumb, GetSysColorBrush(COLOR_BTNSHADOW));
}
} // namespace

cpvSlider::cpvSlider(HWND parent, const Bounds& bounds) : cpvSlider(parent, bounds, SliderProperties{}) {}

cpvSlider::cpvSlider(HWND parent, const Bounds& bounds, const SliderProperties& saved,
                     SliderPictures pictures)
    : PaintedControl("cpvSlider", kBack, SystemColor(COLOR_BTNFACE), 0) {
    // Refused before there is a window, so that nothing is left half made.
    if (!IsOrientation(saved.orientation) || !IsRailStyle(saved.railStyle) || saved.min > saved.max)
        RefuseValue();
    ToColorRef(saved.backColor);
    orientation_ = saved.orientation;
    railStyle_ = saved.railStyle;
    min_ = saved.min;
    max_ = saved.max;
    value_ = AcceptedValue(saved.value, min_, max_);
    sliderIcon_ = std::move(pictures.sliderIcon);
    inSliderIcon_ = std::move(pictures.inSliderIcon);
    railPicture_ = std::move(pictures.railPicture);
    // Made disabled rather than disabled afterwards: loading keeps the saved rail style.
    CreatePainted(parent, "TessalineSlider", "", saved.enabled ? 0 : WS_DISABLED, bounds);
    if (saved.backColor != SystemColor(COLOR_BTNFACE)) SetBackColor(saved.backColor);
    LayOut();
}

cpvSlider::~cpvSlider() {
    if (!dragging_) return;
    dragging_ = false; // so that losing the capture now raises nothing
    if (hwnd() != nullptr && GetCapture() == hwnd()) ReleaseCapture();
}

void cpvSlider::SetEnabled(bool enabled) {
    // A change reaches EnabledChanged through WM_ENABLE; setting the state it has already reapplies it.
    if (Enabled() == enabled)
        EnabledChanged(enabled);
    else
        Control::SetEnabled(enabled);
}

void cpvSlider::EnabledChanged(bool enabled) {
    const std::weak_ptr<char> alive = life_;
    if (!enabled && dragging_ && GetCapture() == hwnd()) ReleaseCapture(); // ends the drag
    if (alive.expired()) return;
    railStyle_ = enabled ? kEnabledRailStyle : kDisabledRailStyle;
    LayOut();
}

void cpvSlider::SetOrientation(int32_t orientation) {
    if (!IsOrientation(orientation)) RefuseValue();
    orientation_ = orientation;
    LayOut();
}

void cpvSlider::SetRailStyle(int32_t style) {
    if (!IsRailStyle(style)) RefuseValue();
    railStyle_ = style;
    LayOut();
}

void cpvSlider::SetMin(int32_t min) {
    if (min >= max_) RefuseValue();
    min_ = min;
    const std::weak_ptr<char> alive = life_;
    SetValue(min);
    if (alive.expired()) return;
    // The value may have stood at the new Min already: the thumb still moves to the range's new start.
    if (!dragging_) PlaceThumb();
    Redraw();
}

void cpvSlider::SetMax(int32_t max) {
    if (min_ >= max) RefuseValue();
    max_ = max;
    const std::weak_ptr<char> alive = life_;
    if (value_ > max_) SetValue(value_);
    if (alive.expired()) return;
    if (!dragging_) PlaceThumb();
    Redraw();
}

void cpvSlider::SetValue(int32_t value) {
    value = AcceptedValue(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    // While dragging, the drag has placed the thumb already.
    if (!dragging_) PlaceThumb();
    Redraw();
    const std::weak_ptr<char> alive = life_;
    Raise("ValueChanged", ValueChanged);
    if (alive.expired()) return;
    if (value == max_) Raise("ArrivedLast", ArrivedLast);
    if (alive.expired()) return;
    if (value == min_) Raise("ArrivedFirst", ArrivedFirst);
}

void cpvSlider::SetSliderIcon(unique_gdi picture) {
    sliderIcon_ = std::move(picture);
    greyed_.reset();
    LayOut();
}

void cpvSlider::SetInSliderIcon(unique_gdi picture) {
    inSliderIcon_ = std::move(picture);
    LayOut();
}

void cpvSlider::SetRailPicture(unique_gdi picture) {
    railPicture_ = std::move(picture);
    LayOut();
}

HBITMAP cpvSlider::ThumbPicture() const {
    if (Enabled()) return SliderIcon();
    if (inSliderIcon_ || !sliderIcon_) return InSliderIcon();
    if (!greyed_) greyed_ = GreyedBitmap(SliderIcon());
    return Bitmap(greyed_);
}

SliderSize cpvSlider::ThumbSize() const {
    if (HBITMAP picture = ThumbPicture()) {
        const SIZE size = BitmapSize(picture);
        return {size.cx, size.cy};
    }
    const int length = MulDiv(kOwnThumbLength, Vertical() ? ScreenDpiY() : ScreenDpiX(), 96);
    const int thickness = MulDiv(kOwnThumbThickness, Vertical() ? ScreenDpiX() : ScreenDpiY(), 96);
    return Vertical() ? SliderSize{thickness, length} : SliderSize{length, thickness};
}

SliderSize cpvSlider::InsideSize() const {
    RECT client = {};
    if (hwnd() != nullptr) GetClientRect(hwnd(), &client);
    return {client.right, client.bottom};
}

RECT cpvSlider::ThumbRect() const {
    const SliderSize size = ThumbSize();
    return {thumb_.x, thumb_.y, thumb_.x + size.width, thumb_.y + size.height};
}

RECT cpvSlider::RailRect() const {
    return {geometry_.rail.left, geometry_.rail.top, geometry_.rail.right, geometry_.rail.bottom};
}

void cpvSlider::LayOut() {
    if (hwnd() == nullptr || layingOut_) return;
    layingOut_ = true;
    auto done = make_scope_exit([this] { layingOut_ = false; });
    try {
        SliderSize rail;
        if (railStyle_ == kRailStylePicture && railPicture_) {
            const SIZE size = BitmapSize(RailPicture());
            rail = {size.cx, size.cy};
        }
        geometry_ = LayOutSlider(Vertical(), ThumbSize(), rail, InsideSize());
        const SliderSize inside = InsideSize();
        if (inside.width != geometry_.size.width || inside.height != geometry_.size.height)
            SetWindowPos(hwnd(), nullptr, 0, 0, geometry_.size.width, geometry_.size.height,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        PlaceThumb();
        Redraw();
    } catch (...) {
        // Out of memory or an unreadable picture: the slider keeps its last layout; nothing is lost.
    }
}

void cpvSlider::PlaceThumb() {
    const int along = ThumbOffset(value_, min_, max_, geometry_.travel, Vertical());
    thumb_ = Vertical() ? POINT{geometry_.thumbCross, along} : POINT{along, geometry_.thumbCross};
}

void cpvSlider::Redraw() {
    if (hwnd() != nullptr) RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void cpvSlider::Paint(HDC dc, const RECT& client) {
    try {
        if (client.right <= 0 || client.bottom <= 0) return;
        // Drawn off screen first, so that a dragged thumb does not flicker.
        if (surface_.Width() != client.right || surface_.Height() != client.bottom)
            if (!surface_.Make(client.right, client.bottom)) return;
        HDC into = surface_.dc();
        FillRect(into, &client, BackBrush());
        if (railStyle_ == kRailStylePicture) {
            if (railPicture_) DrawBitmap(into, RailPicture(), geometry_.railPictureX, geometry_.railPictureY);
        } else {
            RECT rail = RailRect();
            DrawEdge(into, &rail, static_cast<UINT>(RailEdge(railStyle_)), BF_RECT);
        }
        if (HBITMAP picture = ThumbPicture())
            DrawBitmap(into, picture, thumb_.x, thumb_.y);
        else
            DrawOwnThumb(into, ThumbRect(), Enabled());
        BitBlt(dc, 0, 0, client.right, client.bottom, into, 0, 0, SRCCOPY);
    } catch (...) {
        // Out of memory while greying the thumb: this paint is skipped, the next one tries again.
    }
}

void cpvSlider::Press(POINT at, int16_t shift) {
    if (!Enabled()) return;
    const std::weak_ptr<char> alive = life_;
    SetCapture(hwnd());
    dragging_ = true;
    const RECT thumb = ThumbRect();
    if (PtInRect(&thumb, at)) {
        grab_ = {at.x - thumb_.x, at.y - thumb_.y};
    } else {
        // Away from the thumb: the thumb jumps to the pointer, centred on it.
        grab_ = {(thumb.right - thumb.left) / 2, (thumb.bottom - thumb.top) / 2};
        Drag(at);
        if (alive.expired()) return;
    }
    Raise("MouseDown", MouseDown, shift);
}

void cpvSlider::Drag(POINT at) {
    const int wanted = Vertical() ? at.y - grab_.y : at.x - grab_.x;
    const int offset = std::clamp(wanted, 0, geometry_.travel);
    const int32_t value = ValueAtOffset(offset, geometry_.travel, min_, max_, Vertical());
    // The thumb stands exactly where its value is.
    const int along = ThumbOffset(value, min_, max_, geometry_.travel, Vertical());
    LONG& position = Vertical() ? thumb_.y : thumb_.x;
    const bool moved = position != along;
    position = along;
    if (value != value_)
        SetValue(value);
    else if (moved)
        Redraw();
}

void cpvSlider::Release(POINT at, int16_t shift) {
    // A click is a press and a release on the slider: a release alone raises nothing.
    if (!dragging_) return;
    dragging_ = false;
    if (GetCapture() == hwnd()) ReleaseCapture();
    const SliderSize inside = InsideSize();
    const bool over = at.x >= 0 && at.x < inside.width && at.y >= 0 && at.y < inside.height;
    const std::weak_ptr<char> alive = life_;
    if (over) Raise("Click", Click);
    if (alive.expired()) return;
    Raise("MouseUp", MouseUp, shift);
}

void cpvSlider::DragLost() {
    // Another window took the mouse (a box opened, the user switched away): the drag ends where it is.
    dragging_ = false;
    int16_t shift = CurrentShift();
    Raise("MouseUp", MouseUp, shift);
}

LRESULT cpvSlider::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        Press(PointOf(lParam), ShiftOf(wParam));
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) Drag(PointOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        Release(PointOf(lParam), ShiftOf(wParam));
        return 0;
    case WM_CAPTURECHANGED:
        if (dragging_) DragLost();
        return 0;
    case WM_SIZE: {
        const LRESULT result = PaintedControl::WindowMessage(message, wParam, lParam);
        LayOut();
        return result;
    }
    case WM_ENABLE: {
        const std::weak_ptr<char> alive = life_;
        const LRESULT result = PaintedControl::WindowMessage(message, wParam, lParam);
        if (!alive.expired()) EnabledChanged(wParam != FALSE);
        return result;
    }
    default:
        return PaintedControl::WindowMessage(message, wParam, lParam);
    }
}

} // namespace tsln
