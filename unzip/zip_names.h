// Entry names: what a stored name is in the system's ANSI code page, and whether it is safe to write
// below a folder. Plain C++: code pages are reached through a NameConverter, which tsln.dll implements
// with the Windows conversions and the native builds with ISO 8859-1.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tsln::zip {

class NameConverter {
public:
    virtual ~NameConverter() = default;
    // `text` in the ANSI code page. False when a character has no exact ANSI form (never a look-alike);
    // `out` then holds "?" in its place, fit for messages only.
    virtual bool ToAnsi(std::u16string_view text, std::string& out) const = 0;
    // `bytes` read in the OEM code page; false when they are not valid text there.
    virtual bool OemToUnicode(std::string_view bytes, std::u16string& out) const = 0;
};

// Both code pages taken as ISO 8859-1: for builds without Windows (the native fuzzer, plain tests).
class Latin1Converter final : public NameConverter {
public:
    bool ToAnsi(std::u16string_view text, std::string& out) const override;
    bool OemToUnicode(std::string_view bytes, std::u16string& out) const override;
};

// Strict UTF-8: false for malformed, overlong, surrogate or out-of-range sequences (each becomes
// U+FFFD in `out`).
bool Utf8ToUtf16(std::string_view utf8, std::u16string& out);

enum class NameEncoding { kUtf8, kOem, kAsStored };

// How an archiver on `hostSystem` (the high byte of "version made by") stores names not flagged as
// UTF-8: DOS, OS/2, NTFS and VFAT hosts in the OEM code page, the others as they are.
NameEncoding EncodingForHost(uint8_t hostSystem) noexcept;

// The stored name in the ANSI code page. False when it cannot be written there exactly; `out` then
// holds a form with "?" for messages.
bool ToAnsiName(std::string_view stored, NameEncoding encoding, const NameConverter& converter,
                std::string& out);

// False for any name that could land outside the target folder or on a device: empty, absolute ("/",
// "\"), any ":" (drives, streams), "." or ".." components, empty components (except one trailing
// separator), components ending in "." or " ", characters Windows refuses in file names, and reserved
// device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$), with or without an extension.
bool IsSafeEntryName(std::string_view name);

bool IsReservedDeviceName(std::string_view component);

// The stored name with every "/" turned into "\".
std::string ToWindowsPath(std::string_view name);

// Whether an include or exclude name designates the entry: exact match of the whole path, "/" and "\"
// equal, ASCII letters compared without case unless `caseSensitive`.
bool NameMatches(std::string_view entryName, std::string_view wanted, bool caseSensitive);

} // namespace tsln::zip
