#include "visualstyles/program_architecture.h"

#include <cstdint>

namespace tsln {

namespace {
constexpr size_t kPeOffsetField = 0x3C; // e_lfanew
constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;

uint32_t Little(const std::string& bytes, size_t at, size_t size) {
    uint32_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}
} // namespace

ProgramArchitecture ArchitectureOfHeader(const std::string& firstBytes) {
    if (firstBytes.size() < kPeOffsetField + 4 || firstBytes.compare(0, 2, "MZ") != 0)
        return ProgramArchitecture::kUnknown;
    const size_t pe = Little(firstBytes, kPeOffsetField, 4);
    // Signature (4 bytes) and machine (2): the offset is checked before it is added to.
    if (pe > firstBytes.size() || firstBytes.size() - pe < 6) return ProgramArchitecture::kUnknown;
    if (firstBytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return ProgramArchitecture::kUnknown;
    switch (Little(firstBytes, pe + 4, 2)) {
    case kMachineI386:
        return ProgramArchitecture::kX86;
    case kMachineAmd64:
        return ProgramArchitecture::kAmd64;
    default:
        return ProgramArchitecture::kUnknown;
    }
}

const char* ManifestArchitectureName(ProgramArchitecture architecture) {
    return architecture == ProgramArchitecture::kAmd64 ? "amd64" : "X86";
}

} // namespace tsln
