#include "unzip/zip_directory.h"

#include "unzip/zip_records.h"

#include <algorithm>
#include <limits>

namespace tsln::zip {
namespace {

using namespace records;

constexpr size_t kMaxCommentSize = 0xFFFF;

// What the end records say.
struct EndRecords {
    uint64_t directoryEnd = 0; // the first end record after the central directory
    uint64_t count = 0;
    uint64_t size = 0;
    uint64_t offset = 0;
    uint16_t commentLength = 0;
};

// The ZIP64 end record the locator at `locatorAt` leads to: where the locator says, else right before
// the locator, which is where it sits when data before the archive moved it.
bool FindZip64End(ByteSource& source, uint64_t locatorAt, uint64_t stated, uint64_t& at,
                  uint8_t (&record)[kZip64EndRecordSize]) {
    const uint64_t adjacent = locatorAt >= kZip64EndRecordSize ? locatorAt - kZip64EndRecordSize : stated;
    for (uint64_t candidate : {stated, adjacent}) {
        if (candidate > locatorAt || locatorAt - candidate < kZip64EndRecordSize) continue;
        if (!source.Read(candidate, record, sizeof record) || Get32(record) != kZip64EndSignature) continue;
        const uint64_t size = Get64(record + 4); // of the rest of the record
        if (size < kZip64EndRecordSize - 12 || size > locatorAt - candidate - 12) continue;
        at = candidate;
        return true;
    }
    return false;
}

Result ReadEndRecords(ByteSource& source, EndRecords& end) {
    const uint64_t size = source.Size();
    if (size < kEndRecordSize) return Result::kNotZip;

    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndRecordSize + kMaxCommentSize));
    const uint64_t tailStart = size - tailSize;
    std::vector<uint8_t> tail(tailSize);
    if (!source.Read(tailStart, tail.data(), tailSize)) return Result::kNotZip;

    // The last record whose comment ends the file exactly (a signature inside a comment is not one);
    // failing that the last record of all, which may be followed by stray bytes.
    size_t found = SIZE_MAX, last = SIZE_MAX;
    for (size_t i = tailSize - kEndRecordSize + 1; i-- > 0;) {
        if (Get32(&tail[i]) != kEndSignature) continue;
        if (last == SIZE_MAX) last = i;
        if (i + kEndRecordSize + Get16(&tail[i + 20]) == tailSize) {
            found = i;
            break;
        }
    }
    if (found == SIZE_MAX) found = last;
    if (found == SIZE_MAX) return Result::kNotZip;

    const uint8_t* e = &tail[found];
    end.commentLength = Get16(e + 20);
    // A comment declared longer than what follows: the file was cut or the record is damaged.
    if (found + kEndRecordSize + end.commentLength > tailSize) return Result::kBadArchive;
    const uint64_t endAt = tailStart + found;
    const uint16_t disk = Get16(e + 4), directoryDisk = Get16(e + 6), entriesHere = Get16(e + 8);
    end.directoryEnd = endAt;
    end.count = Get16(e + 10);
    end.size = Get32(e + 12);
    end.offset = Get32(e + 16);
    const bool saturated = disk == 0xFFFF || directoryDisk == 0xFFFF || entriesHere == 0xFFFF ||
                           end.count == 0xFFFF || end.size == 0xFFFFFFFFu || end.offset == 0xFFFFFFFFu;

    uint8_t locator[kZip64LocatorSize];
    if (endAt >= kZip64LocatorSize && source.Read(endAt - kZip64LocatorSize, locator, sizeof locator) &&
        Get32(locator) == kZip64LocatorSignature) {
        const uint64_t locatorAt = endAt - kZip64LocatorSize;
        uint8_t record[kZip64EndRecordSize];
        uint64_t recordAt = 0;
        if (FindZip64End(source, locatorAt, Get64(locator + 8), recordAt, record)) {
            // The disk holding the record, and the number of disks (some tools write 0).
            if (Get32(locator + 4) != 0 || Get32(locator + 16) > 1 || Get32(record + 16) != 0 ||
                Get32(record + 20) != 0 || Get64(record + 24) != Get64(record + 32))
                return Result::kUnsupported;
            end.directoryEnd = recordAt;
            end.count = Get64(record + 32);
            end.size = Get64(record + 40);
            end.offset = Get64(record + 48);
            return Result::kOk;
        }
        // A locator without its record: harmless only if the end record needs nothing from it.
        if (saturated) return Result::kBadArchive;
    }
    if (disk != 0 || directoryDisk != 0 || entriesHere != end.count) return Result::kUnsupported;
    return Result::kOk;
}

// The central records found from one possible start.
struct Walk {
    std::vector<uint8_t> bytes;
    uint64_t start = 0;
    uint64_t count = 0;
    bool reachesEnd = false; // nothing but a digital signature record between them and the end records
};

// Follows central records from `start` as long as they follow one another below `end`.
bool WalkRecords(ByteSource& source, uint64_t start, uint64_t end, Walk& walk) {
    if (start > end || end - start > std::numeric_limits<size_t>::max() / 2) return false;
    uint8_t signature[4];
    if (start < end && (end - start < sizeof signature || !source.Read(start, signature, sizeof signature) ||
                        Get32(signature) != kCentralSignature))
        return false;
    walk.start = start;
    walk.bytes.resize(static_cast<size_t>(end - start));
    if (!source.Read(start, walk.bytes.data(), walk.bytes.size())) return false;
    const std::vector<uint8_t>& b = walk.bytes;
    size_t pos = 0;
    while (b.size() - pos >= kCentralHeaderSize && Get32(&b[pos]) == kCentralSignature) {
        const size_t record =
            kCentralHeaderSize + Get16(&b[pos + 28]) + Get16(&b[pos + 30]) + Get16(&b[pos + 32]);
        if (b.size() - pos < record) break;
        pos += record;
        ++walk.count;
    }
    const size_t rest = b.size() - pos;
    walk.reachesEnd =
        rest == 0 || (rest >= 6 && Get32(&b[pos]) == kDigitalSignature && rest == 6u + Get16(&b[pos + 4]));
    walk.bytes.resize(pos);
    return true;
}

// Whether the records can be the directory the end records describe. More records than announced
// are read (counts wrap at 65536 and some tools write stale ones); fewer mean entries are missing.
// Unknown bytes after the records are tolerated only when the count matches exactly.
bool Describes(const Walk& walk, const EndRecords& end) {
    return walk.reachesEnd ? walk.count >= end.count : walk.count == end.count;
}

} // namespace

Result LocateCentralDirectory(ByteSource& source, CentralDirectory& out) {
    EndRecords end;
    const Result r = ReadEndRecords(source, end);
    if (r != Result::kOk) return r;
    out.commentLength = end.commentLength;
    out.statedStart = end.offset;

    // The directory ends where the end records begin, so its start is its size back from there; the
    // difference from the stated offset is data before the archive. Where the size is wrong, the
    // stated offset may still be right. Of two readings, the one finding more entries wins.
    const uint64_t fromSize = end.size <= end.directoryEnd ? end.directoryEnd - end.size : end.offset;
    const uint64_t starts[] = {fromSize, end.offset};
    Walk best;
    bool found = false;
    for (size_t i = 0; i < 2 && !(i == 1 && starts[1] == starts[0]); ++i) {
        Walk walk;
        if (!WalkRecords(source, starts[i], end.directoryEnd, walk) || !Describes(walk, end)) continue;
        if (!found || walk.count > best.count) best = std::move(walk);
        found = true;
    }
    if (!found) return Result::kBadArchive;
    out.bytes = std::move(best.bytes);
    out.start = best.start;
    return Result::kOk;
}

} // namespace tsln::zip
