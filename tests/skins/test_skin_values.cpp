// The plain rules: numbers of a skin's description, names, compatibility, placing, outlines.
#include "core/app_error.h"
#include "skins/skin_outline.h"
#include "skins/skin_values.h"

#include <doctest.h>

using namespace tsln;

namespace {
int32_t FailureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.number;
    }
    return 0;
}
} // namespace

TEST_CASE("placeholder") {
    CHECK(ParseInt16("12") == 12);
}
