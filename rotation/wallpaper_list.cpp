#include "rotation/wallpaper_list.h"
#include "core/app_error.h"
#include "core/reg_value.h"

#include <utility>

namespace tsln {

namespace {
constexpr char kFieldSeparator = '*';

std::string FileNameOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Up to and including the last "\"; empty without one.
std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
} // namespace

std::string StoredForm(const WLEntry& entry) {
    return entry.Path + kFieldSeparator + entry.Name + kFieldSeparator + entry.LastUsed + kFieldSeparator +
           std::to_string(entry.UseCount);
}

WLEntry ParseStoredForm(const std::string& text) {
    // The first four fields; any after them are ignored.
    size_t star[3];
    size_t from = 0;
    for (size_t& at : star) {
        at = text.find(kFieldSeparator, from);
        if (at == std::string::npos) TSLN_FAIL(err::kTypeMismatch);
        from = at + 1;
    }
    const size_t end = text.find(kFieldSeparator, from);
    const int32_t count = TextToLong(text.substr(from, end == std::string::npos ? end : end - from));
    if (count < INT16_MIN || count > INT16_MAX) TSLN_FAIL(err::kOverflow);
    WLEntry entry;
    entry.Path = text.substr(0, star[0]);
    entry.Name = text.substr(star[0] + 1, star[1] - star[0] - 1);
    entry.LastUsed = text.substr(star[1] + 1, star[2] - star[1] - 1);
    entry.UseCount = static_cast<int16_t>(count);
    return entry;
}

std::string FilePart(const std::string& path, int part) {
    switch (part) {
    case 0: {
        const std::string name = FileNameOf(path);
        return name.substr(0, name.find('.'));
    }
    case 1: {
        std::string folder = FolderOf(path);
        if (folder.empty()) return {};
        folder.pop_back();
        return FileNameOf(folder);
    }
    case 2:
        return FileNameOf(path);
    case 3: {
        size_t dot = path.rfind('.');
        return dot == std::string::npos ? std::string() : path.substr(dot + 1);
    }
    case 4:
        return FolderOf(path);
    case 5: {
        std::string folder = FolderOf(path);
        if (folder.empty()) return {};
        folder.pop_back();
        return FolderOf(folder);
    }
    default:
        return {};
    }
}

std::string EntryName(const std::string& path, tType kind) {
    return FilePart(path, IsLogons(kind) ? 1 : 0);
}

std::string AsciiCaseKey(const std::string& text) {
    std::string key = text;
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

double ShuffleRandom::Next() {
    // splitmix32: every seed, 0 included, starts a full-quality sequence.
    state_ += 0x9E3779B9u;
    uint32_t z = state_;
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    z ^= z >> 16;
    return static_cast<double>(z >> 8) / 16777216.0;
}

int HalfToEven(int value) {
    const int half = value / 2;
    if (value % 2 == 0) return half;
    return half % 2 == 0 ? half : half + 1;
}

WLList::WLList() : entries_(1) {}

size_t WLList::Checked(int16_t position) const {
    if (position < 0 || position > Count()) TSLN_FAIL(err::kSubscript);
    return static_cast<size_t>(position);
}

void WLList::Clear() {
    entries_.assign(1, WLEntry{});
}

void WLList::Append(WLEntry entry) {
    if (Count() == kMaxCount) TSLN_FAIL(err::kOverflow);
    entries_.push_back(std::move(entry));
}

int16_t WLList::FindEntry(const std::string& path, const TextKey& key) const {
    if (path.empty()) return 0;
    const std::string wanted = key(path);
    for (int16_t position = 1; position <= Count(); ++position)
        if (key(entries_[position].Path) == wanted) return position;
    return 0;
}

std::string WLList::RemoveAt(int16_t position) {
    if (position < 1 || position > Count()) TSLN_FAIL(err::kSubscript);
    const int16_t neighbour = position < Count() ? position + 1 : position - 1;
    std::string current = entries_[neighbour].Path;
    entries_.erase(entries_.begin() + position);
    return current;
}

void WLList::SortByName(const TextKey& key) {
    const int n = Count();
    // The keys are made once and move with their entries, so each comparison is a plain byte compare.
    std::vector<std::string> keys(entries_.size());
    for (int i = 1; i <= n; ++i)
        keys[i] = key(entries_[i].Name);
    for (int gap = HalfToEven(n + 1); gap >= 1; gap = HalfToEven(gap)) {
        bool swapped;
        do {
            swapped = false;
            for (int i = 1; i <= n - gap; ++i) {
                if (keys[i].compare(keys[i + gap]) > 0) {
                    std::swap(keys[i], keys[i + gap]);
                    std::swap(entries_[i], entries_[i + gap]);
                    swapped = true;
                }
            }
        } while (swapped);
    }
}

void WLList::Shuffle() {
    const int n = Count();
    ShuffleRandom random(static_cast<uint32_t>(n));
    for (int i = 1; i <= n; ++i) {
        const int j = i + static_cast<int>(random.Next() * (n - i + 1));
        if (j != i) std::swap(entries_[i], entries_[j]);
    }
}

int16_t WLList::NextPosition(int16_t current, const std::function<bool(const WLEntry&)>& usable) const {
    const int n = Count();
    if (n == 0) return 0;
    const int first = current + 1 > n ? 1 : current + 1;
    for (int step = 0; step < n; ++step) {
        const int position = (first - 1 + step) % n + 1;
        if (usable(entries_[position])) return static_cast<int16_t>(position);
    }
    return 0;
}

} // namespace tsln
