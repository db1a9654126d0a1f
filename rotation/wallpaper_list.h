// The picture list of one collection as plain data and rules: the entries and their stored form, the
// pieces of a path, the two orders and the walk of the schedule. No platform calls: the platform's
// letter-case rules come in as key functions.
#pragma once
#include "core/collection_kind.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tsln {

struct WLEntry {
    std::string Name;     // shown in the list
    std::string Path;     // the file; identifies the entry
    std::string LastUsed; // when it was applied last, as text; empty until then
    int16_t UseCount = 0; // how often it was applied
};

// Path "*" Name "*" LastUsed "*" UseCount in decimal.
std::string StoredForm(const WLEntry& entry);
// The entry a stored text holds. Fewer than four fields, or a count that is no number, raise Type
// mismatch (13); a count beyond 16 bits raises Overflow (6). Fields past the fourth are ignored.
WLEntry ParseStoredForm(const std::string& text);

// Pieces of a path ("\" separates its components, the last one is the file name):
// 0 the file name up to its first ".", 1 the name of the folder holding the file, 2 the file name,
// 3 the text after the last "." of the path, 4 the path up to and including its last "\", 5 the folder
// above (part 4 without its own last component, with the "\"). Any other part, or a piece the path
// does not have, is empty.
std::string FilePart(const std::string& path, int part);

// The name an entry is listed under: its folder's name for a logon screen (each sits in a folder of its
// own), the file name up to its first "." for a wallpaper.
std::string EntryName(const std::string& path, tType kind);

// Turns a text into the key it compares by: two texts compare as their keys do, byte by byte.
using TextKey = std::function<std::string(const std::string&)>;
// The text with A-Z lowered: letter case ignored for plain ASCII.
std::string AsciiCaseKey(const std::string& text);

// The fixed generator Shuffle draws from, so that an order is reproducible from its seed.
class ShuffleRandom {
public:
    explicit ShuffleRandom(uint32_t seed) : state_(seed) {}
    // Uniform in [0, 1), in steps of 2^-24.
    double Next();

private:
    uint32_t state_;
};

// value / 2 rounded to the nearest whole number, a half to the even neighbour (6 gives 3, 5 gives 2,
// 3 gives 2, 1 gives 0): the gaps of SortByName, (N + 1) / 2 first, then half the gap each time.
int HalfToEven(int value);

// Positions 1..N hold the entries in list order; position 0 is a blank entry that stands for no entry
// (the default picture or program). Positions are signed 16-bit numbers.
class WLList {
public:
    static constexpr int16_t kMaxCount = 32767;

    WLList();

    int16_t Count() const { return static_cast<int16_t>(entries_.size() - 1); }
    const WLEntry& operator[](int16_t position) const { return entries_.at(Checked(position)); }
    WLEntry& operator[](int16_t position) { return entries_.at(Checked(position)); }

    // Back to the blank entry alone.
    void Clear();
    // Adds at position N + 1; Overflow (6) when the list is full.
    void Append(WLEntry entry);
    // The first position whose path equals `path` by `key`; 0 for an empty path or when none does.
    int16_t FindEntry(const std::string& path, const TextKey& key = AsciiCaseKey) const;
    // Removes the entry at 1..N (Subscript out of range, 9, for any other position) and returns the
    // path that becomes current: the entry that followed it, or the one before it when it was the last
    // (empty when it was the only one).
    std::string RemoveAt(int16_t position);

    // Ascending by the keys of the names: a shell sort with repeated passes per gap, entries moving as
    // whole records; equal names end where these passes leave them.
    void SortByName(const TextKey& key = AsciiCaseKey);
    // Random order, reproducible: the generator is seeded with N.
    void Shuffle();

    // The position the schedule applies after `current` (0 for none): the next one, wrapping to 1,
    // passing over entries that `usable` refuses; 0 when it refuses them all.
    int16_t NextPosition(int16_t current, const std::function<bool(const WLEntry&)>& usable) const;

private:
    size_t Checked(int16_t position) const;
    std::vector<WLEntry> entries_;
};

} // namespace tsln
