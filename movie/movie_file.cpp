#include "movie/movie_file.h"
#include "movie/movie_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace tsln::movie {
namespace {

// Reads little-endian values from one chunk's payload; every read checks what is left.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}
    size_t Left() const noexcept { return left_; }
    bool U8(uint8_t& v) noexcept {
        if (left_ < 1) return false;
        v = p_[0];
        Skip(1);
        return true;
    }
    bool U16(uint16_t& v) noexcept {
        if (left_ < 2) return false;
        v = static_cast<uint16_t>(p_[0] | (p_[1] << 8));
        Skip(2);
        return true;
    }
    bool I16(int16_t& v) noexcept {
        uint16_t u;
        if (!U16(u)) return false;
        v = static_cast<int16_t>(u);
        return true;
    }
    bool U32(uint32_t& v) noexcept {
        if (left_ < 4) return false;
        v = static_cast<uint32_t>(p_[0]) | (static_cast<uint32_t>(p_[1]) << 8) |
            (static_cast<uint32_t>(p_[2]) << 16) | (static_cast<uint32_t>(p_[3]) << 24);
        Skip(4);
        return true;
    }
    bool Bytes(size_t count, const uint8_t*& out) noexcept {
        if (left_ < count) return false;
        out = p_;
        Skip(count);
        return true;
    }

private:
    void Skip(size_t n) noexcept {
        p_ += n;
        left_ -= n;
    }
    const uint8_t* p_;
    size_t left_;
};

// A chunk's content is refused as soon as one check fails; the first failure is the result.
class Parser {
public:
    explicit Parser(Movie& movie) : m_(movie) {}
    Result Chunk(uint32_t tag, Reader r);
    Result Finish() const { return nextFrame_ == m_.frameCount + 1u ? Result::kOk : Result::kCorrupt; }

private:
    Result Image(Reader& r);
    Result Sound(Reader& r);
    Result Item(Reader& r);
    Result Button(Reader& r);
    Result Frame(Reader& r);

    Movie& m_;
    uint64_t pixels_ = 0;
    uint32_t nextFrame_ = 1;
};

bool ValidColor(Color c) noexcept {
    return (c >> 24) == 0;
}

// Text stored in the file: bounded, and without NULs (the platform would cut it there).
bool ReadText(Reader& r, size_t length, size_t limit, std::string& out) {
    const uint8_t* bytes = nullptr;
    if (length > limit || !r.Bytes(length, bytes)) return false;
    out.assign(reinterpret_cast<const char*>(bytes), length);
    return out.find('\0') == std::string::npos;
}

bool ReadBox(Reader& r, Box& box) noexcept {
    return r.I16(box.x) && r.I16(box.y) && r.I16(box.width) && r.I16(box.height) && box.width >= 0 &&
           box.height >= 0;
}

bool ReadShapeStyle(Reader& r, Item& item) noexcept {
    uint8_t filled = 0;
    if (!r.U8(filled) || filled > 1 || !r.U32(item.fill) || !r.U16(item.lineWidth) || !r.U32(item.line))
        return false;
    item.filled = filled == 1;
    return ValidColor(item.fill) && ValidColor(item.line) && item.lineWidth <= kMaxLineWidth;
}

// Inflates exactly `out.size()` bytes that make up the whole zlib stream `in`.
bool InflateExactly(const uint8_t* in, size_t inSize, std::vector<uint8_t>& out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = static_cast<uInt>(inSize);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&zs, Z_FINISH);
    const bool ok = rc == Z_STREAM_END && zs.avail_out == 0 && zs.avail_in == 0;
    inflateEnd(&zs);
    return ok;
}

// Deflate cannot expand data by more than about 1032 to 1: a smaller stream cannot fill the image, so
// it is refused before the image's memory is taken.
constexpr uint64_t kMaxInflateRatio = 1100;

Result Parser::Image(Reader& r) {
    if (m_.images.size() >= kMaxImages) return Result::kTooLarge;
    movie::Image image;
    uint8_t encoding = 0, reserved[3] = {};
    if (!r.U16(image.width) || !r.U16(image.height) || !r.U8(encoding) || !r.U8(reserved[0]) ||
        !r.U8(reserved[1]) || !r.U8(reserved[2]))
        return Result::kCorrupt;
    if (image.width == 0 || image.height == 0 || encoding > 1 || reserved[0] || reserved[1] || reserved[2])
        return Result::kCorrupt;
    if (image.width > kMaxImageSide || image.height > kMaxImageSide) return Result::kTooLarge;
    const uint64_t count = static_cast<uint64_t>(image.width) * image.height;
    if (pixels_ + count > kMaxImagePixels) return Result::kTooLarge;
    pixels_ += count;
    const size_t bytes = static_cast<size_t>(count * 4);
    const size_t stored = r.Left();
    const uint8_t* data = nullptr;
    r.Bytes(stored, data);
    if (encoding == 0 ? stored != bytes : stored * kMaxInflateRatio + 64 < bytes) return Result::kCorrupt;

    image.pixels.resize(bytes);
    if (encoding == 0)
        std::memcpy(image.pixels.data(), data, bytes);
    else if (!InflateExactly(data, stored, image.pixels))
        return Result::kCorrupt;
    for (size_t i = 0; i < bytes; i += 4) {
        const uint8_t a = image.pixels[i + 3];
        if (image.pixels[i] > a || image.pixels[i + 1] > a || image.pixels[i + 2] > a)
            return Result::kCorrupt;
    }
    m_.images.push_back(std::move(image));
    return Result::kOk;
}

Result Parser::Sound(Reader& r) {
    if (m_.sounds.size() >= kMaxSounds || r.Left() > kMaxSoundBytes) return Result::kTooLarge;
    const size_t size = r.Left();
    const uint8_t* data = nullptr;
    r.Bytes(size, data);
    if (!IsPlayableWave(data, size)) return Result::kCorrupt;
    m_.sounds.push_back({std::vector<uint8_t>(data, data + size)});
    return Result::kOk;
}

Result Parser::Item(Reader& r) {
    if (m_.items.size() >= kMaxItems) return Result::kTooLarge;
    movie::Item item;
    uint8_t kind = 0;
    if (!r.U8(kind)) return Result::kCorrupt;
    item.kind = static_cast<ItemKind>(kind);
    bool ok = false;
    switch (item.kind) {
    case ItemKind::kRect:
    case ItemKind::kEllipse:
        ok = ReadBox(r, item.box) && ReadShapeStyle(r, item);
        break;
    case ItemKind::kRoundRect:
        ok = ReadBox(r, item.box) && ReadShapeStyle(r, item) && r.U16(item.radius);
        break;
    case ItemKind::kPolygon: {
        uint16_t count = 0;
        ok = ReadShapeStyle(r, item) && r.U16(count);
        if (!ok) break;
        if (count > kMaxPolygonPoints) return Result::kTooLarge;
        if (count < 3 || r.Left() < count * 4u) return Result::kCorrupt;
        item.points.resize(count);
        int minX = INT16_MAX, minY = INT16_MAX, maxX = INT16_MIN, maxY = INT16_MIN;
        for (Point& p : item.points) {
            r.I16(p.x);
            r.I16(p.y);
            minX = std::min<int>(minX, p.x);
            minY = std::min<int>(minY, p.y);
            maxX = std::max<int>(maxX, p.x);
            maxY = std::max<int>(maxY, p.y);
        }
        // Points far apart could give bounds wider than 16 bits.
        if (maxX - minX > INT16_MAX || maxY - minY > INT16_MAX) return Result::kCorrupt;
        item.box = {static_cast<int16_t>(minX), static_cast<int16_t>(minY), static_cast<int16_t>(maxX - minX),
                    static_cast<int16_t>(maxY - minY)};
        break;
    }
    case ItemKind::kGradient: {
        uint8_t vertical = 0;
        ok = ReadBox(r, item.box) && r.U8(vertical) && vertical <= 1 && r.U32(item.from) && r.U32(item.to) &&
             ValidColor(item.from) && ValidColor(item.to);
        item.vertical = vertical == 1;
        break;
    }
    case ItemKind::kText: {
        uint8_t align = 0, valign = 0, faceLength = 0;
        uint16_t textLength = 0;
        ok = ReadBox(r, item.box) && r.U32(item.color) && ValidColor(item.color) && r.U16(item.size) &&
             item.size >= 1 && item.size <= kMaxTextSize && r.U8(item.flags) &&
             (item.flags & ~text_flags::kAll) == 0 && r.U8(align) && align <= 2 && r.U8(valign) &&
             valign <= 2 && r.U8(faceLength) && ReadText(r, faceLength, kMaxFaceBytes, item.face) &&
             r.U16(textLength) && ReadText(r, textLength, kMaxTextBytes, item.text);
        item.align = static_cast<Align>(align);
        item.valign = static_cast<VAlign>(valign);
        break;
    }
    case ItemKind::kPicture:
        ok = ReadBox(r, item.box) && r.U16(item.image) && item.image < m_.images.size() &&
             item.box.width > 0 && item.box.height > 0;
        break;
    default:
        return Result::kCorrupt;
    }
    if (!ok) return Result::kCorrupt;
    m_.items.push_back(std::move(item));
    return Result::kOk;
}

Result Parser::Button(Reader& r) {
    if (m_.buttons.size() >= kMaxButtons) return Result::kTooLarge;
    movie::Button button;
    uint8_t onPress = 0;
    if (!r.U16(button.hit) || button.hit >= m_.items.size() || !IsShape(m_.items[button.hit].kind) ||
        !r.U8(onPress) || onPress > 1 || !r.U16(button.gotoFrame) || button.gotoFrame > m_.frameCount ||
        !r.U16(button.sound) || button.sound > m_.sounds.size())
        return Result::kCorrupt;
    button.onPress = onPress == 1;
    for (std::vector<uint16_t>& look : button.looks) {
        uint8_t count = 0;
        if (!r.U8(count)) return Result::kCorrupt;
        if (count > kMaxLookItems) return Result::kTooLarge;
        look.resize(count);
        for (uint16_t& index : look)
            if (!r.U16(index) || index >= m_.items.size()) return Result::kCorrupt;
    }
    uint8_t commandLength = 0, argumentLength = 0;
    if (!r.U8(commandLength) || !ReadText(r, commandLength, kMaxCommandBytes, button.command) ||
        !r.U8(argumentLength) || !ReadText(r, argumentLength, kMaxCommandBytes, button.argument))
        return Result::kCorrupt;
    m_.buttons.push_back(std::move(button));
    return Result::kOk;
}

Result Parser::Frame(Reader& r) {
    FrameRecord frame;
    uint8_t actionCount = 0;
    uint16_t entryCount = 0;
    if (!r.U16(frame.first) || !r.U16(frame.last) || frame.first != nextFrame_ || frame.last < frame.first ||
        frame.last > m_.frameCount || !r.U8(actionCount))
        return Result::kCorrupt;
    if (actionCount > kMaxActions) return Result::kTooLarge;
    frame.actions.resize(actionCount);
    for (Action& action : frame.actions) {
        uint8_t kind = 0;
        if (!r.U8(kind) || kind < 1 || kind > 5) return Result::kCorrupt;
        action.kind = static_cast<ActionKind>(kind);
        if (action.kind == ActionKind::kGoto &&
            (!r.U16(action.frame) || action.frame < 1 || action.frame > m_.frameCount))
            return Result::kCorrupt;
    }
    if (!r.U16(entryCount)) return Result::kCorrupt;
    if (entryCount > kMaxDisplayEntries) return Result::kTooLarge;
    frame.display.resize(entryCount);
    for (DisplayEntry& entry : frame.display) {
        uint8_t isButton = 0;
        if (!r.U8(isButton) || isButton > 1 || !r.U16(entry.index)) return Result::kCorrupt;
        entry.button = isButton == 1;
        if (entry.index >= (entry.button ? m_.buttons.size() : m_.items.size())) return Result::kCorrupt;
    }
    nextFrame_ = frame.last + 1u;
    m_.frames.push_back(std::move(frame));
    return Result::kOk;
}

Result Parser::Chunk(uint32_t tag, Reader r) {
    // Nothing may follow the last frame.
    if (nextFrame_ > m_.frameCount) return Result::kCorrupt;
    Result result;
    switch (tag) {
    case chunk::kImage:
        result = Image(r);
        break;
    case chunk::kSound:
        result = Sound(r);
        break;
    case chunk::kItem:
        result = Item(r);
        break;
    case chunk::kButton:
        result = Button(r);
        break;
    case chunk::kFrame:
        result = Frame(r);
        break;
    default:
        return Result::kCorrupt;
    }
    // A chunk is read to its last byte.
    if (result == Result::kOk && r.Left() != 0) return Result::kCorrupt;
    return result;
}

uint32_t Get32(const uint8_t* p) noexcept {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Get16(const uint8_t* p) noexcept {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool StartsWith(const uint8_t* data, size_t size, const char* text, size_t length) noexcept {
    return size >= length && std::memcmp(data, text, length) == 0;
}

Result ParseHeader(const uint8_t* data, size_t size, Movie& m) {
    static const char* const kFlash[] = {"FWS", "CWS", "ZWS"};
    for (const char* flash : kFlash)
        if (StartsWith(data, size, flash, 3)) return Result::kFlashMovie;
    const size_t compared = std::min(size, sizeof kSignature);
    if (compared == 0 || std::memcmp(data, kSignature, compared) != 0) return Result::kNotAMovie;
    if (size < kHeaderSize) return Result::kTruncated;
    if (Get16(data + 4) != kFormatVersion) return Result::kUnsupportedVersion;
    const uint32_t declared = Get32(data + 8);
    if (Get16(data + 6) != kHeaderSize || Get32(data + 24) != 0 || Get32(data + 28) != 0)
        return Result::kCorrupt;
    if (declared > kMaxFileBytes) return Result::kTooLarge;
    if (declared > size) return Result::kTruncated;
    if (declared < size) return Result::kCorrupt; // something after the movie
    m.width = Get16(data + 12);
    m.height = Get16(data + 14);
    m.frameRate = Get16(data + 16);
    m.frameCount = Get16(data + 18);
    m.background = Get32(data + 20);
    if (m.width > kMaxStageSide || m.height > kMaxStageSide || m.frameCount > kMaxFrames)
        return Result::kTooLarge;
    if (m.width == 0 || m.height == 0 || m.frameCount == 0 || m.frameRate == 0 ||
        m.frameRate > kMaxFrameRate || !ValidColor(m.background))
        return Result::kCorrupt;
    return Result::kOk;
}

Result ParseAll(const uint8_t* data, size_t size, Movie& m) {
    if (size > kMaxFileBytes) return Result::kTooLarge;
    Result result = ParseHeader(data, size, m);
    if (result != Result::kOk) return result;
    Parser parser(m);
    size_t at = kHeaderSize;
    while (at < size) {
        if (size - at < 8) return Result::kCorrupt;
        const uint32_t tag = Get32(data + at);
        const uint32_t length = Get32(data + at + 4);
        at += 8;
        if (length > size - at) return Result::kCorrupt;
        result = parser.Chunk(tag, Reader(data + at, length));
        if (result != Result::kOk) return result;
        at += length;
    }
    return parser.Finish();
}

} // namespace

bool IsShape(ItemKind kind) noexcept {
    return kind == ItemKind::kRect || kind == ItemKind::kRoundRect || kind == ItemKind::kEllipse ||
           kind == ItemKind::kPolygon || kind == ItemKind::kGradient;
}

const FrameRecord& Movie::Frame(int number) const {
    auto it = std::upper_bound(frames.begin(), frames.end(), number,
                               [](int n, const FrameRecord& f) { return n < f.first; });
    return *(it - 1);
}

Result Parse(const uint8_t* data, size_t size, Movie& movie) {
    movie = Movie();
    if (data == nullptr) size = 0;
    Result result;
    try {
        result = ParseAll(data, size, movie);
    } catch (const std::bad_alloc&) {
        result = Result::kNoMemory;
    }
    if (result != Result::kOk) movie = Movie();
    return result;
}

bool IsPlayableWave(const uint8_t* data, size_t size) noexcept {
    if (size < 12 || !StartsWith(data, size, "RIFF", 4) || std::memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    if (Get32(data + 4) != size - 8) return false;
    bool format = false, samples = false;
    uint16_t blockAlign = 0;
    size_t at = 12;
    while (at < size) {
        if (size - at < 8) return false;
        const uint32_t length = Get32(data + at + 4);
        const uint8_t* body = data + at + 8;
        if (length > size - at - 8) return false;
        if (std::memcmp(data + at, "fmt ", 4) == 0) {
            if (format || length < 16) return false;
            const uint16_t tag = Get16(body), channels = Get16(body + 2), bits = Get16(body + 14);
            const uint32_t rate = Get32(body + 4), byteRate = Get32(body + 8);
            blockAlign = Get16(body + 12);
            if (tag != 1 || channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 1000 ||
                rate > 96000 || blockAlign != channels * bits / 8 || byteRate != rate * blockAlign)
                return false;
            format = true;
        } else if (std::memcmp(data + at, "data", 4) == 0) {
            if (!format || samples || length % blockAlign != 0) return false;
            samples = true;
        }
        // Chunks are padded to an even length.
        const size_t step = 8 + static_cast<size_t>(length) + (length & 1u);
        if (step > size - at) return at + 8 + length == size && samples;
        at += step;
    }
    return samples;
}

} // namespace tsln::movie
