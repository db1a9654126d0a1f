// libFuzzer target over the values of a downloaded skin's description: numbers and outline lists.
#include "core/app_error.h"
#include "skins/skin_outline.h"
#include "skins/skin_values.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // Two bytes choose the screen's twips per pixel; the rest is "GPX" and "GPY" split at the first NUL.
    const int tx = 1 + data[0] % 20, ty = 1 + data[1] % 20;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    const size_t split = text.find('\0');
    const std::string xs = text.substr(0, split);
    const std::string ys = split == std::string::npos ? std::string() : text.substr(split + 1);
    try {
        tsln::ParseNumber(xs);
    } catch (const tsln::AppError&) {
    }
    try {
        const auto points = tsln::OutlinePoints(1.5f, 0.75f, -3, 7, xs, ys, tx, ty);
        if (points.size() != tsln::SplitText(xs, ',').size()) std::abort();
    } catch (const tsln::AppError& e) {
        if (e.number != 6 && e.number != 9 && e.number != 13) std::abort();
    }
    return 0;
}
