// The words and numbers a version resource is shown in: plain text rules, no platform calls.
#pragma once
#include <cstdint>
#include <string>

namespace tsln {

// A fixed version (its most and least significant halves) as text. The four numbers are the high and
// low words of each half, taken as signed 16-bit values: the first in plain decimal, ".", the second
// with at least two digits, ".", then the fourth with at least four digits when the third is 0 or less
// (1.8.0.8 gives "1.08.0008"), else the third and the fourth with at least two digits each (1.8.2.5
// gives "1.08.0205").
std::string VersionText(uint32_t mostSignificant, uint32_t leastSignificant);
// The structure version: high word "." low word, plain decimal.
std::string StructureVersionText(uint32_t version);

// "Debug", "PreRel", "Patched", "Private", "Info", "Special" for the bits 1, 2, 4, 8, 0x10, 0x20 that
// are set, in that order, one blank between them.
std::string FileFlagsText(uint32_t flags);
std::string FileOSText(uint32_t os);
std::string FileTypeText(uint32_t type);
// The subtype's words; false when the type gives the subtype no words of its own (the shown text then
// stays as it was).
bool FileSubTypeText(uint32_t type, uint32_t subtype, std::string& text);

// "\StringFileInfo\" language and code page as four upper-case hexadecimal digits each, "\".
std::string StringTablePrefix(uint16_t language, uint16_t codePage);

// The shown names of the predefined entries 0 to 14 ("Language", "Comments", "Company Name", ...); empty
// for any other number.
std::string PredefinedEntryName(int which);

} // namespace tsln
