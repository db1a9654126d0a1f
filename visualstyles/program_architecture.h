// The processor architecture a Windows program is built for, read from the first bytes of its file: the
// DOS header's pointer to the PE header, and the machine field there. Plain code.
#pragma once
#include <string>

namespace tsln {

enum class ProgramArchitecture { kUnknown, kX86, kAmd64 };

// How many bytes of a file ArchitectureOfHeader looks at, at the most.
constexpr size_t kProgramHeaderBytes = 4096;

// The architecture named by the PE header within `firstBytes` (the file's first bytes); kUnknown for
// anything that is not a PE image of one of the two, or whose header lies past those bytes.
ProgramArchitecture ArchitectureOfHeader(const std::string& firstBytes);

// The name a side-by-side manifest uses for the architecture ("X86", "amd64"); kUnknown is "X86", the
// architecture of every program of Windows 2000 and 32-bit XP.
const char* ManifestArchitectureName(ProgramArchitecture architecture);

} // namespace tsln
