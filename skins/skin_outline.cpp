#include "skins/skin_outline.h"
#include "core/app_error.h"
#include "skins/skin_values.h"

namespace tsln {

int TwipsPerScaleUnit(int scaleMode) {
    switch (scaleMode) {
    case scale::kTwip:
        return 1;
    case scale::kPoint:
        return 20;
    case scale::kPixel:
        return 15;
    case scale::kInch:
        return 1439; // the value outlines were always drawn with
    case scale::kMillimetre:
        return 57;
    case scale::kCentimetre:
        return 567;
    default:
        return 0;
    }
}

std::vector<OutlinePoint> OutlinePoints(float scaleX, float scaleY, int16_t offsetX, int16_t offsetY,
                                        const std::string& xList, const std::string& yList,
                                        int twipsPerPixelX, int twipsPerPixelY) {
    const std::vector<std::string> xs = SplitText(xList, ',');
    const std::vector<std::string> ys = SplitText(yList, ',');
    if (twipsPerPixelX <= 0 || twipsPerPixelY <= 0) TSLN_FAIL(err::kDivByZero);
    std::vector<OutlinePoint> points;
    points.reserve(xs.size());
    for (size_t i = 0; i < xs.size(); ++i) {
        if (i >= ys.size()) TSLN_FAIL(err::kSubscript);
        const double x = ParseInt16(xs[i]) * static_cast<double>(scaleX) * 15 / twipsPerPixelX + offsetX;
        const double y = ParseInt16(ys[i]) * static_cast<double>(scaleY) * 15 / twipsPerPixelY + offsetY;
        points.push_back({RoundHalfEven(x), RoundHalfEven(y)});
    }
    return points;
}

ShapeGeometry ShapeToGeometry(const ShapeControl& shape, int scaleMode, int twipsPerPixelX,
                              int twipsPerPixelY, const UnitConverter& sts) {
    auto px = [&](double value) { return sts(value, scaleMode, scale::kPixel); };
    ShapeGeometry g;
    g.left = RoundHalfEven(px(shape.Left));
    g.top = RoundHalfEven(px(shape.Top));
    g.right = RoundHalfEven(px(shape.Left + shape.Width));
    g.bottom = RoundHalfEven(px(shape.Top + shape.Height));
    const double smaller = shape.Width < shape.Height ? shape.Width : shape.Height;
    switch (shape.Shape) {
    case 0:
    case 1:
        g.kind = ShapeGeometry::Rectangle;
        break;
    case 2:
    case 3:
        g.kind = ShapeGeometry::Ellipse;
        break;
    case 4:
        if (twipsPerPixelX <= 0 || twipsPerPixelY <= 0) TSLN_FAIL(err::kDivByZero);
        g.kind = ShapeGeometry::RoundRectangle;
        g.corner = RoundHalfEven(px(smaller) / 4);
        g.right = RoundHalfEven(px(shape.Left + shape.Width) * 15 / twipsPerPixelX);
        g.bottom = RoundHalfEven(px(shape.Top + shape.Height) * 15 / twipsPerPixelY);
        break;
    case 5:
        g.kind = ShapeGeometry::RoundRectangle;
        g.corner = RoundHalfEven(smaller / 15 / 4);
        break;
    default:
        return ShapeGeometry{};
    }
    return g;
}

} // namespace tsln
