#include "skins/skin_regions.h"
#include "core/app_error.h"

namespace tsln {

namespace {
unique_gdi Checked(HRGN region) {
    if (region == nullptr) TSLN_FAIL(err::kOutOfMemory);
    return unique_gdi(region);
}
} // namespace

unique_gdi PolygonRegion(const std::vector<OutlinePoint>& points) {
    const char* const kEmpty = "The window outline encloses no area";
    if (points.size() < 3) TSLN_FAIL(err::kInvalidCall, kEmpty);
    std::vector<POINT> corners;
    corners.reserve(points.size());
    for (const OutlinePoint& p : points)
        corners.push_back({p.x, p.y});
    unique_gdi region =
        Checked(CreatePolygonRgn(corners.data(), static_cast<int>(corners.size()), ALTERNATE));
    RECT box;
    if (GetRgnBox(static_cast<HRGN>(region.get()), &box) == NULLREGION) TSLN_FAIL(err::kInvalidCall, kEmpty);
    return region;
}

unique_gdi GeometryRegion(const ShapeGeometry& g) {
    switch (g.kind) {
    case ShapeGeometry::Rectangle:
        return Checked(CreateRectRgn(g.left, g.top, g.right, g.bottom));
    case ShapeGeometry::Ellipse:
        return Checked(CreateEllipticRgn(g.left, g.top, g.right, g.bottom));
    case ShapeGeometry::RoundRectangle:
        return Checked(CreateRoundRectRgn(g.left, g.top, g.right, g.bottom, g.corner, g.corner));
    default:
        return {};
    }
}

} // namespace tsln
