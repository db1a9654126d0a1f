// Plain text-to-number rules for the values of a skin's description, and the small decisions of the skin
// manager that need no window: package names, compatibility, the preview text, the window's place.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tsln {

// Nearest integer, halves to the even neighbour; an AppError "Overflow" beyond 32 bits.
int32_t RoundHalfEven(double value);

// A number written as text: blanks around it, an optional sign, decimal digits with an optional
// fraction, or "&H" and hexadecimal digits (32 bits, as colour values are often written). Anything else,
// the empty text included, raises an AppError "Type mismatch".
double ParseNumber(const std::string& text);
// The number rounded to a 16-bit or 32-bit integer (halves to even); out of range raises "Overflow".
int16_t ParseInt16(const std::string& text);
int32_t ParseInt32(const std::string& text);

// The pieces of `text` between the separators; an empty text is one empty piece.
std::vector<std::string> SplitText(const std::string& text, char separator);

// Skin names are file names with "_" where the user sees a blank.
std::string ShownSkinName(std::string fileForm);
std::string FileSkinName(std::string shownForm);

// The skin name of a skins-folder entry named `entry`, or empty when it is no package: the name must end
// in ".csk" (exactly that case) after at least one character.
std::string PackageSkinName(const std::string& entry);

// What a skin's "INFO" section says about this program at version major.minor: 0 it fits, 1 another
// version, 2 not for this program. `betweenPieces` runs before each version piece is compared.
uint8_t Compatibility(const std::string& forValue, const std::string& versions, int major, int minor,
                      const std::function<void()>& betweenPieces = {});

// The preview label: "Name: ", "Author: " and "Date: " lines.
std::string PreviewDescription(const std::string& name, const std::string& author, const std::string& date);

// Where a window of `width` by `height` twips goes when asked to sit at (`left`, `top`) on a screen of
// `screenWidth` by `screenHeight` twips: there, unless its left edge is off the screen or its right edge
// past it, in which case it is centred. Only left and right are compared.
struct WindowPlace {
    double left;
    double top;
    bool centred;
};
WindowPlace PlaceOnScreen(double left, double top, double width, double height, double screenWidth,
                          double screenHeight);

} // namespace tsln
