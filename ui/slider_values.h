// The arithmetic of the slider: which values it takes, where its thumb stands for a value and which value
// a thumb position means, and how the control, its thumb and its rail are laid out. Pixels throughout.
#pragma once
#include <cstdint>

namespace tsln {

constexpr int32_t kSliderHorizontal = 0;
constexpr int32_t kSliderVertical = 1;
// The rail styles: 0 to 4 are platform edges, this one is a picture.
constexpr int32_t kRailStylePicture = 99;

// The properties a slider is loaded with; each member's initial value is the default a newly placed
// slider has (and what a property missing from the saved ones reads as). The names in quotes are the ones
// they are saved under.
struct SliderProperties {
    uint32_t backColor = 0x8000000F;       // "BackColor": the system button-face colour
    bool enabled = true;                   // "Enabled"
    int32_t orientation = kSliderVertical; // "Orientation"
    int32_t railStyle = 0;                 // "RailStyle"
    int32_t min = 0;                       // "Min"
    int32_t max = 10;                      // "Max"
    int32_t value = 0;                     // "Value"
};

bool IsOrientation(int32_t orientation);
bool IsRailStyle(int32_t style);
// The edge the platform draws for an edge style (DrawEdge's edge flags); -1 for the picture style.
int RailEdge(int32_t style);

// The value that setting `value` stores: itself inside min..max; outside, max - 1 (not the nearer bound).
// An empty range (min equal to max) has only the one value.
int32_t AcceptedValue(int32_t value, int32_t min, int32_t max);

// Where the thumb stands for `value`, along the rail, in 0..travel: from the left when horizontal, from
// the top when vertical (min is at the bottom). An empty range keeps the thumb at min's end.
int ThumbOffset(int32_t value, int32_t min, int32_t max, int travel, bool vertical);
// The value a thumb at `offset` means, rounded to a whole value (halves to even) and within min..max.
int32_t ValueAtOffset(int offset, int travel, int32_t min, int32_t max, bool vertical);

struct SliderSize {
    int width = 0;
    int height = 0;
};

struct SliderRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct SliderGeometry {
    SliderSize size;      // the control's inside (it has no border: its whole size)
    int thumbCross = 0;   // the thumb's top (horizontal) or left (vertical)
    int travel = 0;       // how far the thumb moves: inside length less thumb length, never below 0
    SliderRect rail;      // the edge rail: 4 pixels thick, 2 pixels before the thumb centre's first
                          // position to 2 pixels past its last
    int railPictureX = 0; // where a rail picture is drawn
    int railPictureY = 0;
};

// Lays the slider out. `size` is its present inside; `railPicture` is {0, 0} when there is none (or the
// rail style is an edge). A rail picture sets the length (its own plus 4 pixels) and the thickness (its
// own or the thumb's, the larger); otherwise the thickness is the thumb's and the length is kept (the
// thumb's when it is 0).
SliderGeometry LayOutSlider(bool vertical, SliderSize thumb, SliderSize railPicture, SliderSize size);

} // namespace tsln
