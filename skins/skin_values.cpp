#include "skins/skin_values.h"
#include "core/app_error.h"

#include <cmath>
#include <cstdlib>

namespace tsln {

namespace {
[[noreturn]] void RaiseTypeMismatch() {
    TSLN_FAIL(err::kTypeMismatch);
}
[[noreturn]] void RaiseOverflow() {
    TSLN_FAIL(err::kOverflow);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
int HexDigit(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string WithoutBlanks(const std::string& text) {
    const char* blanks = " \t";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// "&H" and one to eight hex digits; up to four digits make a 16-bit value, more a 32-bit one.
double ParseHex(const std::string& digits) {
    if (digits.empty() || digits.size() > 8) RaiseTypeMismatch();
    uint32_t value = 0;
    for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0) RaiseTypeMismatch();
        value = value * 16 + static_cast<uint32_t>(d);
    }
    if (digits.size() <= 4) return static_cast<int16_t>(static_cast<uint16_t>(value));
    return static_cast<int32_t>(value);
}

// Sign, digits, an optional fraction and an optional exponent; at least one digit before the exponent.
bool IsDecimal(const std::string& text) {
    size_t i = 0, n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < n && IsDigit(text[i]))
        ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponent = 0;
        while (i < n && IsDigit(text[i]))
            ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == n;
}
} // namespace

int32_t RoundHalfEven(double value) {
    if (!std::isfinite(value)) RaiseOverflow();
    double rounded = std::nearbyint(value); // the default rounding mode: to nearest, halves to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0) RaiseOverflow();
    return static_cast<int32_t>(rounded);
}

double ParseNumber(const std::string& text) {
    const std::string number = WithoutBlanks(text);
    if (number.size() > 2 && number[0] == '&' && (number[1] == 'H' || number[1] == 'h'))
        return ParseHex(number.substr(2));
    if (!IsDecimal(number)) RaiseTypeMismatch();
    double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) RaiseOverflow();
    return value;
}

int16_t ParseInt16(const std::string& text) {
    int32_t value = RoundHalfEven(ParseNumber(text));
    if (value < -32768 || value > 32767) RaiseOverflow();
    return static_cast<int16_t>(value);
}

int32_t ParseInt32(const std::string& text) {
    return RoundHalfEven(ParseNumber(text));
}

std::vector<std::string> SplitText(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        pieces.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return pieces;
        start = at + 1;
    }
}

std::string ShownSkinName(std::string fileForm) {
    for (char& c : fileForm)
        if (c == '_') c = ' ';
    return fileForm;
}

std::string FileSkinName(std::string shownForm) {
    for (char& c : shownForm)
        if (c == ' ') c = '_';
    return shownForm;
}

std::string PackageSkinName(const std::string& entry) {
    const std::string extension = ".csk";
    if (entry.size() <= extension.size()) return {};
    if (entry.compare(entry.size() - extension.size(), extension.size(), extension) != 0) return {};
    return entry.substr(0, entry.size() - extension.size());
}

uint8_t Compatibility(const std::string& forValue, const std::string& versions, int major, int minor,
                      const std::function<void()>& betweenPieces) {
    if (forValue != "TSLN") return 2;
    // A skin made for the first release of this major version fits every later one.
    const std::string current = std::to_string(major) + "." + std::to_string(minor);
    const std::string first = std::to_string(major) + ".1";
    for (const std::string& piece : SplitText(versions, ';')) {
        if (betweenPieces) betweenPieces();
        if (piece == current || piece == first) return 0;
    }
    return 1;
}

std::string PreviewDescription(const std::string& name, const std::string& author, const std::string& date) {
    return "Name: " + name + "\r\nAuthor: " + author + "\r\nDate: " + date;
}

WindowPlace PlaceOnScreen(double left, double top, double width, double height, double screenWidth,
                          double screenHeight) {
    if (left < 0 || left + width > screenWidth)
        return {(screenWidth - width) / 2, (screenHeight - height) / 2, true};
    return {left, top, false};
}

} // namespace tsln
