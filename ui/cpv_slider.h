// The slider: a thumb picture the user drags along a rail, standing for a whole value between Min and
// Max. The rail is a platform edge or a picture; without pictures the thumb and the rail have a look of
// their own. It raises ValueChanged (then ArrivedLast or ArrivedFirst at an end) whenever the value
// changes, MouseDown when pressed, Click when pressed and released on it, MouseUp when a drag ends.
#pragma once
#include "ui/controls/bitmap.h"
#include "ui/controls/painted_control.h"
#include "ui/slider_values.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tsln {

// The pictures a slider is loaded with; each may be empty.
struct SliderPictures {
    unique_gdi sliderIcon;   // the thumb ("SliderIcon")
    unique_gdi inSliderIcon; // the thumb while disabled ("InactiveSliderIcon")
    unique_gdi railPicture;  // the rail with rail style 99 ("RailPicture")
};

class cpvSlider : public PaintedControl {
public:
    // A newly placed slider: every property at its default, the thumb at its start.
    cpvSlider(HWND parent, const Bounds& bounds);
    // A slider loaded with saved properties. A Min above Max, or an orientation or rail style it does not
    // know, raises an AppError (380) and no window is made; a Min equal to Max is an empty range (the one
    // value); a Value outside the range is taken as setting it takes it.
    cpvSlider(HWND parent, const Bounds& bounds, const SliderProperties& saved, SliderPictures pictures = {});
    ~cpvSlider() override;

    // Enabling shows the thumb picture and rail style 3; disabling the inactive picture (the thumb
    // greyed when there is none) and rail style 2. Enabling or disabling the window by any other way
    // does the same.
    void SetEnabled(bool enabled);
    // kSliderHorizontal or kSliderVertical; another value raises an AppError (380).
    int32_t Orientation() const { return orientation_; }
    void SetOrientation(int32_t orientation);
    // 0 to 4 (platform edges) or kRailStylePicture; another value raises an AppError (380).
    int32_t RailStyle() const { return railStyle_; }
    void SetRailStyle(int32_t style);
    // A Min not below Max, or a Max not above Min, raises an AppError (380) and changes nothing. A new Min
    // becomes the value; a new Max below the value takes the value back inside (as setting it does).
    int32_t Min() const { return min_; }
    void SetMin(int32_t min);
    int32_t Max() const { return max_; }
    void SetMax(int32_t max);
    // A value outside Min..Max is taken as Max - 1.
    int32_t Value() const { return value_; }
    void SetValue(int32_t value);
    // The pictures, owned by the slider; an empty owner takes one away.
    HBITMAP SliderIcon() const { return Bitmap(sliderIcon_); }
    void SetSliderIcon(unique_gdi picture);
    HBITMAP InSliderIcon() const { return Bitmap(inSliderIcon_); }
    void SetInSliderIcon(unique_gdi picture);
    HBITMAP RailPicture() const { return Bitmap(railPicture_); }
    void SetRailPicture(unique_gdi picture);

    // Where the thumb and the edge rail are, in pixels of the inside.
    RECT ThumbRect() const;
    RECT RailRect() const;

    std::function<void()> Click;
    std::function<void()> ArrivedFirst;
    std::function<void()> ArrivedLast;
    std::function<void()> ValueChanged;
    // The shift state: 1 Shift, 2 Ctrl, 4 Alt.
    std::function<void(int16_t& shift)> MouseDown;
    std::function<void(int16_t& shift)> MouseUp;

protected:
    void Paint(HDC dc, const RECT& client) override;
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static HBITMAP Bitmap(const unique_gdi& owner) { return static_cast<HBITMAP>(owner.get()); }
    bool Vertical() const { return orientation_ == kSliderVertical; }
    // The picture the thumb shows now (nullptr: the slider's own thumb) and the thumb's size.
    HBITMAP ThumbPicture() const;
    SliderSize ThumbSize() const;
    SliderSize InsideSize() const;
    void LayOut();
    void PlaceThumb();
    void Redraw();
    void EnabledChanged(bool enabled);
    void Press(POINT at, int16_t shift);
    void Drag(POINT at);
    void Release(POINT at, int16_t shift);
    void DragLost();

    int32_t orientation_ = kSliderVertical;
    int32_t railStyle_ = 0;
    int32_t min_ = 0;
    int32_t max_ = 10;
    int32_t value_ = 0;
    unique_gdi sliderIcon_;
    unique_gdi inSliderIcon_;
    unique_gdi railPicture_;
    mutable unique_gdi greyed_; // the thumb picture greyed, made when a disabled slider without an
                                // inactive picture first shows

    POINT thumb_ = {0, 0}; // the thumb's top-left corner
    SliderGeometry geometry_;
    bool dragging_ = false;
    POINT grab_ = {0, 0}; // the pointer less the thumb's corner while dragging
    bool layingOut_ = false;
    MemorySurface surface_;
    std::shared_ptr<char> life_ = std::make_shared<char>(); // expires with the object
};

} // namespace tsln
