// The program's built-in pictures (custom resources holding GIF or JPEG files) as picture objects.
#pragma once
#include "shellutil/picture_file.h"

#include <string>

namespace tsln {

class cLoadResPicture {
public:
    // The picture held by this executable's resource `number` of the resource type `type` ("GIF",
    // "JPG"). Raises an AppError whose source is the executable's base name and ".cLoadResPicture".
    unique_picture LoadResPicture(int number, const std::string& type) const;
};

} // namespace tsln
