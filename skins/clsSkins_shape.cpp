// The skin manager's outlines and colours.
#include "skins/clsSkins.h"
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/units.h"
#include "skins/skin_regions.h"

#include <cmath>

namespace tsln {

void clsSkins::ChangeControlsColors() {
    if (form_ == nullptr) return;
    const COLORREF back = normalControl_, fore = normalFont_;
    // A control without a colour, or one that refuses it, is passed over; so is every other failure.
    auto paint = [&](SkinColorable& item) {
        try {
            item.SetBackColor(back);
        } catch (...) {
        }
        try {
            item.SetForeColor(fore);
        } catch (...) {
        }
    };
    try {
        form_->ForEachControl(paint);
    } catch (...) {
    }
    paint(*form_);
}

void clsSkins::ShapeRegion(const ShapeControl* shape) {
    SkinTarget& window = RequireForm();
    unique_gdi region = ShapeToRegion(shape, window);
    // The window owns the region once it took it; none makes it rectangular again.
    if (SetWindowRgn(window.Hwnd(), static_cast<HRGN>(region.get()), TRUE)) region.release();
}

unique_gdi clsSkins::CreateFormRegion(float scaleX, float scaleY, int16_t offsetX, int16_t offsetY,
                                      const std::string& xList, const std::string& yList) {
    try {
        return PolygonRegion(OutlinePoints(scaleX, scaleY, offsetX, offsetY, xList, yList, TwipsPerPixelX(),
                                           TwipsPerPixelY()));
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.CreateFormRegion", kShown);
        return {};
    }
}

unique_gdi clsSkins::ShapeToRegion(const ShapeControl* shape, const SkinTarget& window) {
    try {
        if (shape == nullptr) return {};
        return GeometryRegion(
            ShapeToGeometry(*shape, window.ScaleMode(), TwipsPerPixelX(), TwipsPerPixelY(),
                            [this](double v, int from, int to) { return StS(v, from, to); }));
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.ShapeToRegion", kShown);
        return {};
    }
}

double clsSkins::StS(double value, int from, int to) {
    try {
        auto twips = [this](int unit) {
            const int perUnit = TwipsPerScaleUnit(unit);
            if (perUnit == 0) ErrorBox("Error");
            return perUnit;
        };
        const int fromTwips = twips(from);
        const int toTwips = twips(to);
        if (toTwips == 0) TSLN_FAIL(err::kDivByZero);
        const double result = value * fromTwips / toTwips;
        if (!std::isfinite(result)) TSLN_FAIL(err::kOverflow);
        return result;
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.StS", kShown);
        return 0;
    }
}

} // namespace tsln
