// Window outlines without windows: the polygon of a skin's "SHAPE" lists and the geometry of a dialog's
// shape control, in pixels at a given screen resolution. The screen's twips per pixel (1440 / logical
// dots per inch: 15 at 96, 12 at 120) is a parameter, so every resolution can be computed anywhere.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tsln {

// Scale units of a window (its ScaleMode).
namespace scale {
constexpr int kUser = 0;
constexpr int kTwip = 1;
constexpr int kPoint = 2;
constexpr int kPixel = 3;
constexpr int kCharacter = 4;
constexpr int kInch = 5;
constexpr int kMillimetre = 6;
constexpr int kCentimetre = 7;
} // namespace scale

// Twips in one unit of `scaleMode` for the conversions of outlines (a pixel counts 15 whatever the
// screen); 0 for a unit they do not support (user-defined, character, anything unknown).
int TwipsPerScaleUnit(int scaleMode);

struct OutlinePoint {
    int32_t x;
    int32_t y;
    bool operator==(const OutlinePoint& other) const { return x == other.x && y == other.y; }
};

// The outline's corners from the comma-separated x and y lists (16-bit pixels at 96 dots per inch):
// each scaled, enlarged from 15 twips per pixel to the screen's, offset and rounded (halves to even).
// A piece that is no number raises "Type mismatch", one beyond 16 bits "Overflow"; a y list shorter
// than the x list raises "Subscript out of range" (extra y values are not read).
std::vector<OutlinePoint> OutlinePoints(float scaleX, float scaleY, int16_t offsetX, int16_t offsetY,
                                        const std::string& xList, const std::string& yList,
                                        int twipsPerPixelX, int twipsPerPixelY);

// A dialog's shape control: its kind and its place in its window's scale units.
struct ShapeControl {
    int Shape = 0; // 0 rectangle, 1 square, 2 oval, 3 circle, 4 rounded rectangle, 5 rounded square
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};

// The region a shape control stands for, in pixels.
struct ShapeGeometry {
    enum Kind { None, Rectangle, Ellipse, RoundRectangle } kind = None;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t corner = 0; // the rounded corners' width and height
};

// Converts `value` from one scale unit to another (the skin manager's StS, which also tells the user
// about an unsupported unit).
using UnitConverter = std::function<double(double value, int from, int to)>;

// The geometry of `shape` on a window measured in `scaleMode`. Edges are converted to pixels at 15
// twips each; only the rounded rectangle's right and bottom edges follow the screen's resolution.
ShapeGeometry ShapeToGeometry(const ShapeControl& shape, int scaleMode, int twipsPerPixelX,
                              int twipsPerPixelY, const UnitConverter& sts);

} // namespace tsln
