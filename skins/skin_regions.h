// Platform regions for the outlines that skin_outline.h computes.
#pragma once
#include "core/unique_any.h"
#include "skins/skin_outline.h"

#include <vector>

namespace tsln {

// The polygon through `points` in order (alternate filling). An outline that encloses nothing (fewer
// than three corners, or all on one line) raises an AppError instead: as a window's region it would
// hide the whole window.
unique_gdi PolygonRegion(const std::vector<OutlinePoint>& points);

// The region of a shape control's geometry; none for ShapeGeometry::None.
unique_gdi GeometryRegion(const ShapeGeometry& geometry);

} // namespace tsln
