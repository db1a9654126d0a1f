#include "ui/controls/control_array.h"

namespace tsln {

void RaiseNoSuchElement(int index) {
    TSLN_FAIL(err::kNoSuchElement, "Control array element '" + std::to_string(index) + "' doesn't exist");
}

void RaiseAlreadyLoaded(int index) {
    TSLN_FAIL(err::kAlreadyLoaded, "Object already loaded");
}

} // namespace tsln
