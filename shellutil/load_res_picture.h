// The program's built-in pictures (custom resources holding GIF or JPEG files) as picture objects.
#pragma once
#include "core/unique_any.h"

#include <ole2.h>
#include <olectl.h>
#include <string>

namespace tsln {

using unique_picture = unique_com<IPicture>;

// The picture file (BMP, JPEG, GIF) read whole and loaded; the file may be deleted right after. Raises
// an AppError with the platform's number and text when it cannot be read or is no picture.
unique_picture LoadPictureFile(const std::string& path);

class cLoadResPicture {
public:
    // The picture held by this executable's resource `number` of the resource type `type` ("GIF",
    // "JPG"). Raises an AppError whose source is the executable's base name and ".cLoadResPicture".
    unique_picture LoadResPicture(int number, const std::string& type) const;
};

} // namespace tsln
