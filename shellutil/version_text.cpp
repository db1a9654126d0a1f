#include "shellutil/version_text.h"

#include <cstdio>
#include <cstdlib>

namespace tsln {

namespace {
// A signed number with at least `digits` digits after its sign (-5 with two digits is "-05").
std::string Digits(int16_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%s%0*d", value < 0 ? "-" : "", digits,
                  std::abs(static_cast<int>(value)));
    return text;
}

int16_t High(uint32_t value) {
    return static_cast<int16_t>(value >> 16);
}
int16_t Low(uint32_t value) {
    return static_cast<int16_t>(value & 0xFFFF);
}
} // namespace

std::string VersionText(uint32_t mostSignificant, uint32_t leastSignificant) {
    std::string text = std::to_string(High(mostSignificant)) + "." + Digits(Low(mostSignificant), 2) + ".";
    if (High(leastSignificant) <= 0) return text + Digits(Low(leastSignificant), 4);
    return text + Digits(High(leastSignificant), 2) + Digits(Low(leastSignificant), 2);
}

std::string StructureVersionText(uint32_t version) {
    return std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF);
}

std::string FileFlagsText(uint32_t flags) {
    static const struct {
        uint32_t bit;
        const char* word;
    } kFlags[] = {{0x1, "Debug"},   {0x2, "PreRel"}, {0x4, "Patched"},
                  {0x8, "Private"}, {0x10, "Info"},  {0x20, "Special"}};
    std::string text;
    for (const auto& flag : kFlags) {
        if (!(flags & flag.bit)) continue;
        if (!text.empty()) text += ' ';
        text += flag.word;
    }
    return text;
}

std::string FileOSText(uint32_t os) {
    switch (os) {
    case 0x10001:
        return "DOS-Win16";
    case 0x10004:
        return "DOS-Win32";
    case 0x20002:
        return "OS/2-16 PM-16";
    case 0x30003:
        return "OS/2-16 PM-32";
    case 0x40004:
        return "NT-Win32";
    default:
        return "Unknown";
    }
}

std::string FileTypeText(uint32_t type) {
    switch (type) {
    case 1:
        return "Application";
    case 2:
        return "DLL";
    case 3:
        return "Driver";
    case 4:
        return "Font";
    case 5:
        return "VxD";
    case 7:
        return "Lib";
    default:
        return "Unknown";
    }
}

bool FileSubTypeText(uint32_t type, uint32_t subtype, std::string& text) {
    static const char* const kDrivers[] = {"Unknown",     "Printer drv", "Keyboard drv", "Language drv",
                                           "Display drv", "Mouse drv",   "Network drv",  "System drv",
                                           "Installable", "Sound drv",   "Comm drv"};
    static const char* const kFonts[] = {nullptr, "Raster Font", "Vector Font", "TrueType Font"};
    if (type == 3 && subtype < sizeof kDrivers / sizeof kDrivers[0]) {
        text = kDrivers[subtype];
        return true;
    }
    if (type == 4 && subtype >= 1 && subtype < sizeof kFonts / sizeof kFonts[0]) {
        text = kFonts[subtype];
        return true;
    }
    return false;
}

std::string StringTablePrefix(uint16_t language, uint16_t codePage) {
    char text[40];
    std::snprintf(text, sizeof text, "\\StringFileInfo\\%04X%04X\\", language, codePage);
    return text;
}

std::string PredefinedEntryName(int which) {
    static const char* const kNames[] = {
        "Language",        "Comments",        "Company Name",     "File Description",  "File Version",
        "Internal Name",   "Legal Copyright", "Legal Trademarks", "Original Filename", "Product Name",
        "Product Version", "Private Build",   "Special Build",    "LegalTrademarks1",  "LegalTrademarks2"};
    if (which < 0 || which >= static_cast<int>(sizeof kNames / sizeof kNames[0])) return {};
    return kNames[which];
}

} // namespace tsln
