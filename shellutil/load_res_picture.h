// The program's built-in pictures (custom resources holding GIF or JPEG files) as picture objects.
#pragma once
#include "core/unique_any.h"

#include <ole2.h>
#include <olectl.h>
#include <string>

namespace tsln {

namespace traits {
struct picture {
    using type = IPicture*;
    static IPicture* invalid() noexcept { return nullptr; }
    static void close(IPicture* value) noexcept { value->Release(); }
};
} // namespace traits
using unique_picture = unique_any<traits::picture>;

class cLoadResPicture {
public:
    // The picture held by this executable's resource `number` of the resource type `type` ("GIF",
    // "JPG"). Raises an AppError whose source is the executable's base name and ".cLoadResPicture".
    unique_picture LoadResPicture(int number, const std::string& type) const;
};

} // namespace tsln
