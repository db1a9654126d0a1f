#include "unzip/zip_names.h"

#include <algorithm>
#include <cstring>

namespace tsln::zip {
namespace {

bool IsSeparator(char c) noexcept {
    return c == '/' || c == '\\';
}

char AsciiUpper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char16_t kReplacement = 0xFFFD;

} // namespace

bool Latin1Converter::ToAnsi(std::u16string_view text, std::string& out) const {
    out.clear();
    bool exact = true;
    for (char16_t c : text) {
        exact = exact && c <= 0xFF;
        out += c <= 0xFF ? static_cast<char>(c) : '?';
    }
    return exact;
}

bool Latin1Converter::OemToUnicode(std::string_view bytes, std::u16string& out) const {
    out.clear();
    for (char c : bytes)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return true;
}

bool Utf8ToUtf16(std::string_view utf8, std::u16string& out) {
    out.clear();
    bool valid = true;
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = 0;
        char32_t code = 0, least = 0;
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1Fu, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0Fu, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07u, least = 0x10000;
        }
        size_t taken = 1;
        while (length != 0 && taken < length && i + taken < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + taken]) & 0xC0u) == 0x80u) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + taken]) & 0x3Fu);
            ++taken;
        }
        i += taken;
        if (length == 0 || taken != length || code < least || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            out += kReplacement;
            valid = false;
        } else if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return valid;
}

NameEncoding EncodingForHost(uint8_t hostSystem) noexcept {
    switch (hostSystem) {
    case 0:  // MS-DOS and Windows (FAT)
    case 6:  // OS/2 (HPFS)
    case 11: // Windows NTFS
    case 14: // Windows VFAT
        return NameEncoding::kOem;
    default:
        return NameEncoding::kAsStored;
    }
}

bool ToAnsiName(std::string_view stored, NameEncoding encoding, const NameConverter& converter,
                std::string& out) {
    if (encoding == NameEncoding::kAsStored) {
        out.assign(stored);
        return true;
    }
    std::u16string text;
    const bool decoded =
        encoding == NameEncoding::kUtf8 ? Utf8ToUtf16(stored, text) : converter.OemToUnicode(stored, text);
    const bool converted = converter.ToAnsi(text, out);
    return decoded && converted;
}

bool IsReservedDeviceName(std::string_view component) {
    std::string base(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = AsciiUpper(c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
        const unsigned char d = static_cast<unsigned char>(base[3]);
        // Windows also reserves the superscript digits 1, 2 and 3 of the ANSI code page.
        return (d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || IsSeparator(name.front())) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t stop = start;
        while (stop < name.size() && !IsSeparator(name[stop]))
            ++stop;
        const std::string_view part = name.substr(start, stop - start);
        if (part.empty()) {
            if (stop != name.size()) return false; // "a//b"; one trailing separator marks a folder
        } else {
            if (part == "." || part == "..") return false;
            for (char ch : part) {
                const unsigned char c = static_cast<unsigned char>(ch);
                if (c < 0x20 || std::strchr("<>:\"|?*", c)) return false;
            }
            if (part.back() == '.' || part.back() == ' ') return false; // Windows strips these
            if (IsReservedDeviceName(part)) return false;
        }
        start = stop + 1;
    }
    return true;
}

std::string ToWindowsPath(std::string_view name) {
    std::string path(name);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool NameMatches(std::string_view entryName, std::string_view wanted, bool caseSensitive) {
    if (entryName.size() != wanted.size()) return false;
    for (size_t i = 0; i < entryName.size(); ++i) {
        char a = entryName[i], b = wanted[i];
        if (IsSeparator(a) && IsSeparator(b)) continue;
        if (!caseSensitive) {
            a = AsciiUpper(a);
            b = AsciiUpper(b);
        }
        if (a != b) return false;
    }
    return true;
}

} // namespace tsln::zip
