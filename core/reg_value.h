// A registry value as the program handles it: nothing, a text, a signed 32-bit number or bytes.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tsln {

class RegValue {
public:
    using Bytes = std::vector<uint8_t>;

    RegValue() = default;
    RegValue(std::string text) : v_(std::move(text)) {}
    RegValue(const char* text) : v_(std::string(text)) {}
    RegValue(int32_t number) : v_(number) {}
    RegValue(Bytes bytes) : v_(std::move(bytes)) {}

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool IsText() const { return std::holds_alternative<std::string>(v_); }
    bool IsNumber() const { return std::holds_alternative<int32_t>(v_); }
    bool IsBytes() const { return std::holds_alternative<Bytes>(v_); }

    // Conversions; each raises Type mismatch (13) or Overflow (6) when the value cannot become the type.
    std::string AsText() const;
    int32_t AsLong() const;
    Bytes AsBytes() const;

    bool operator==(const RegValue& other) const { return v_ == other.v_; }
    bool operator!=(const RegValue& other) const { return !(*this == other); }

private:
    std::variant<std::monostate, std::string, int32_t, Bytes> v_;
};

// Parses a whole decimal or "&H" hexadecimal number text (blanks around allowed; a fraction is rounded
// half to even). Raises Type mismatch for anything else and Overflow outside the signed 32-bit range.
int32_t TextToLong(const std::string& text);

} // namespace tsln
