#include "core/message_box.h"
#include "core/product.h"

namespace tsln {

int ProductBox(const std::string& text, UINT style, HWND owner) {
    return MessageBoxA(owner, text.c_str(), kProductTitle, style | MB_SETFOREGROUND);
}

} // namespace tsln
