// Finding an archive's central directory: the end record (and the ZIP64 end record when a locator
// points to one), data before the archive, and end records that disagree with the directory present.
#pragma once
#include "unzip/zip_archive.h"

#include <cstdint>
#include <vector>

namespace tsln::zip {

struct CentralDirectory {
    std::vector<uint8_t> bytes; // whole central records, back to back
    uint64_t start = 0;         // where they begin in the file
    uint64_t statedStart = 0;   // where the end record says they begin
    uint16_t commentLength = 0;
};

// kOk; kNotZip without an end record; kBadArchive when the records present cannot be the directory
// the end record describes (fewer entries than announced, a break in the records, a comment running
// past the end of the file); kUnsupported for multi-disk archives.
Result LocateCentralDirectory(ByteSource& source, CentralDirectory& out);

} // namespace tsln::zip
