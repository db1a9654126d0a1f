#include "core/reg_value.h"
#include "core/app_error.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace tsln {

namespace {
[[noreturn]] void TypeMismatch() {
    TSLN_FAIL(err::kTypeMismatch);
}
} // namespace

int32_t TextToLong(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) TypeMismatch();
    std::string t = text.substr(first, last - first + 1);
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
        if (t.size() > 10) TSLN_FAIL(err::kOverflow);
        uint32_t value = 0;
        for (size_t i = 2; i < t.size(); ++i) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[i])));
            if (!std::isxdigit(static_cast<unsigned char>(c))) TypeMismatch();
            value = value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
        }
        return static_cast<int32_t>(value);
    }
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i, digits = true;
    }
    if (!digits || i != t.size()) TypeMismatch();
    double value = std::strtod(t.c_str(), nullptr);
    double rounded = std::nearbyint(value); // the default rounding mode is half to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0) TSLN_FAIL(err::kOverflow);
    return static_cast<int32_t>(rounded);
}

std::string RegValue::AsText() const {
    if (IsEmpty()) return {};
    if (auto* s = std::get_if<std::string>(&v_)) return *s;
    if (auto* n = std::get_if<int32_t>(&v_)) return std::to_string(*n);
    const Bytes& b = std::get<Bytes>(v_);
    return std::string(b.begin(), b.end());
}

int32_t RegValue::AsLong() const {
    if (IsEmpty()) return 0;
    if (auto* n = std::get_if<int32_t>(&v_)) return *n;
    if (auto* s = std::get_if<std::string>(&v_)) return TextToLong(*s);
    TypeMismatch();
}

RegValue::Bytes RegValue::AsBytes() const {
    if (IsEmpty()) return {};
    if (auto* b = std::get_if<Bytes>(&v_)) return *b;
    if (auto* s = std::get_if<std::string>(&v_)) return Bytes(s->begin(), s->end());
    TypeMismatch();
}

} // namespace tsln
