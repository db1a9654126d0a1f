#include "ui/controls/control_array.h"

namespace tsln {

void RaiseNoSuchElement(int index) {
    TSLN_FAIL(err::kNoSuchElement, std::to_string(index));
}

void RaiseAlreadyLoaded(int index) {
    TSLN_FAIL(err::kAlreadyLoaded);
}

} // namespace tsln
