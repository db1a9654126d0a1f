#include "ui/slider_values.h"
#include "skins/skin_values.h"

#include <algorithm>
#include <cmath>

namespace tsln {

namespace {
constexpr int kRailThickness = 4;
constexpr int kRailPictureMargin = 2; // on each end of a picture rail

double Fraction(int32_t value, int32_t min, int32_t max) {
    const double range = static_cast<double>(max) - static_cast<double>(min);
    if (range <= 0) return 0; // an empty range
    return std::clamp((static_cast<double>(value) - min) / range, 0.0, 1.0);
}

int Half(int length) {
    return static_cast<int>(RoundHalfEven(length / 2.0));
}
} // namespace

bool IsOrientation(int32_t orientation) {
    return orientation == kSliderHorizontal || orientation == kSliderVertical;
}

bool IsRailStyle(int32_t style) {
    return (style >= 0 && style <= 4) || style == kRailStylePicture;
}

int RailEdge(int32_t style) {
    // Sunken, raised, thin sunken, thin raised, none.
    static const int kEdges[] = {10, 5, 2, 4, 0};
    return style >= 0 && style <= 4 ? kEdges[style] : -1;
}

int32_t AcceptedValue(int32_t value, int32_t min, int32_t max) {
    if (value >= min && value <= max) return value;
    return max > min ? max - 1 : min;
}

int ThumbOffset(int32_t value, int32_t min, int32_t max, int travel, bool vertical) {
    if (travel <= 0) return 0;
    const double along = travel * Fraction(value, min, max);
    return static_cast<int>(RoundHalfEven(vertical ? travel - along : along));
}

int32_t ValueAtOffset(int offset, int travel, int32_t min, int32_t max, bool vertical) {
    if (travel <= 0 || max <= min) return min;
    offset = std::clamp(offset, 0, travel);
    const double fraction = static_cast<double>(vertical ? travel - offset : offset) / travel;
    const double range = static_cast<double>(max) - static_cast<double>(min);
    // Inside min..max, so rounding cannot overflow.
    const int32_t value = RoundHalfEven(fraction * range + min);
    return std::clamp(value, min, max);
}

SliderGeometry LayOutSlider(bool vertical, SliderSize thumb, SliderSize railPicture, SliderSize size) {
    // Worked on as if horizontal: "length" runs along the rail, "thickness" across it.
    const auto lengthOf = [vertical](SliderSize s) { return vertical ? s.height : s.width; };
    const auto thicknessOf = [vertical](SliderSize s) { return vertical ? s.width : s.height; };
    const int thumbLength = lengthOf(thumb), thumbThickness = thicknessOf(thumb);
    const bool picture = railPicture.width > 0 && railPicture.height > 0;

    int length = lengthOf(size), thickness = thumbThickness;
    if (picture) {
        length = lengthOf(railPicture) + 2 * kRailPictureMargin;
        thickness = std::max(thumbThickness, thicknessOf(railPicture));
    } else if (length == 0) {
        length = thumbLength;
    }

    SliderGeometry g;
    g.size = vertical ? SliderSize{thickness, length} : SliderSize{length, thickness};
    g.thumbCross = picture && thicknessOf(railPicture) > thumbThickness
                       ? Half(thicknessOf(railPicture) - thumbThickness)
                       : 0;
    g.travel = std::max(0, length - thumbLength);

    const int railCross = static_cast<int>(RoundHalfEven((thumbThickness - kRailThickness) / 2.0));
    const int railStart = static_cast<int>(RoundHalfEven(thumbLength / 2.0 - 2));
    const int railEnd = length + railStart - thumbLength + kRailThickness;
    const int pictureCross = picture ? Half(thickness - thicknessOf(railPicture)) : 0;
    if (vertical) {
        g.rail = {railCross, railStart, railCross + kRailThickness, railEnd};
        g.railPictureX = pictureCross;
        g.railPictureY = kRailPictureMargin;
    } else {
        g.rail = {railStart, railCross, railEnd, railCross + kRailThickness};
        g.railPictureX = kRailPictureMargin;
        g.railPictureY = pictureCross;
    }
    return g;
}

} // namespace tsln
