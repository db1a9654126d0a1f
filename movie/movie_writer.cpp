#include "movie/movie_writer.h"
#include "movie/movie_chunks.h"

#include <zlib.h>

#include <cstring>

namespace tsln::movie {
namespace {

class Writer {
public:
    void U8(uint32_t v) { out_.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    void Text8(const std::string& s) {
        U8(static_cast<uint32_t>(s.size()));
        Bytes(s.data(), s.size());
    }
    void Box(const movie::Box& b) {
        U16(static_cast<uint16_t>(b.x));
        U16(static_cast<uint16_t>(b.y));
        U16(static_cast<uint16_t>(b.width));
        U16(static_cast<uint16_t>(b.height));
    }
    // A chunk: its tag, a length filled in by End, then its payload.
    size_t Begin(uint32_t tag) {
        U32(tag);
        U32(0);
        return out_.size();
    }
    void End(size_t start) {
        const uint32_t length = static_cast<uint32_t>(out_.size() - start);
        for (int i = 0; i < 4; ++i)
            out_[start - 4 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    std::vector<uint8_t>& Out() { return out_; }

private:
    std::vector<uint8_t> out_;
};

void ShapeStyle(Writer& w, const Item& item) {
    w.U8(item.filled ? 1 : 0);
    w.U32(item.fill);
    w.U16(item.lineWidth);
    w.U32(item.line);
}

void WriteImage(Writer& w, const Image& image) {
    const size_t at = w.Begin(chunk::kImage);
    w.U16(image.width);
    w.U16(image.height);
    uLongf packedSize = compressBound(static_cast<uLong>(image.pixels.size()));
    std::vector<uint8_t> packed(packedSize);
    const bool compressed = compress2(packed.data(), &packedSize, image.pixels.data(),
                                      static_cast<uLong>(image.pixels.size()), 9) == Z_OK &&
                            packedSize < image.pixels.size();
    w.U8(compressed ? 1 : 0);
    w.U8(0);
    w.U16(0);
    if (compressed)
        w.Bytes(packed.data(), packedSize);
    else
        w.Bytes(image.pixels.data(), image.pixels.size());
    w.End(at);
}

void WriteItem(Writer& w, const Item& item) {
    const size_t at = w.Begin(chunk::kItem);
    w.U8(static_cast<uint8_t>(item.kind));
    switch (item.kind) {
    case ItemKind::kRect:
    case ItemKind::kEllipse:
    case ItemKind::kRoundRect:
        w.Box(item.box);
        ShapeStyle(w, item);
        if (item.kind == ItemKind::kRoundRect) w.U16(item.radius);
        break;
    case ItemKind::kPolygon:
        ShapeStyle(w, item);
        w.U16(static_cast<uint32_t>(item.points.size()));
        for (const Point& p : item.points) {
            w.U16(static_cast<uint16_t>(p.x));
            w.U16(static_cast<uint16_t>(p.y));
        }
        break;
    case ItemKind::kGradient:
        w.Box(item.box);
        w.U8(item.vertical ? 1 : 0);
        w.U32(item.from);
        w.U32(item.to);
        break;
    case ItemKind::kText:
        w.Box(item.box);
        w.U32(item.color);
        w.U16(item.size);
        w.U8(item.flags);
        w.U8(static_cast<uint8_t>(item.align));
        w.U8(static_cast<uint8_t>(item.valign));
        w.Text8(item.face);
        w.U16(static_cast<uint32_t>(item.text.size()));
        w.Bytes(item.text.data(), item.text.size());
        break;
    case ItemKind::kPicture:
        w.Box(item.box);
        w.U16(item.image);
        break;
    }
    w.End(at);
}

void WriteButton(Writer& w, const Button& button) {
    const size_t at = w.Begin(chunk::kButton);
    w.U16(button.hit);
    w.U8(button.onPress ? 1 : 0);
    w.U16(button.gotoFrame);
    w.U16(button.sound);
    for (const std::vector<uint16_t>& look : button.looks) {
        w.U8(static_cast<uint32_t>(look.size()));
        for (uint16_t index : look)
            w.U16(index);
    }
    w.Text8(button.command);
    w.Text8(button.argument);
    w.End(at);
}

void WriteFrame(Writer& w, const FrameRecord& frame) {
    const size_t at = w.Begin(chunk::kFrame);
    w.U16(frame.first);
    w.U16(frame.last);
    w.U8(static_cast<uint32_t>(frame.actions.size()));
    for (const Action& action : frame.actions) {
        w.U8(static_cast<uint8_t>(action.kind));
        if (action.kind == ActionKind::kGoto) w.U16(action.frame);
    }
    w.U16(static_cast<uint32_t>(frame.display.size()));
    for (const DisplayEntry& entry : frame.display) {
        w.U8(entry.button ? 1 : 0);
        w.U16(entry.index);
    }
    w.End(at);
}

} // namespace

std::vector<uint8_t> Serialize(const Movie& movie) {
    Writer w;
    w.Bytes(kSignature, sizeof kSignature);
    w.U16(kFormatVersion);
    w.U16(kHeaderSize);
    w.U32(0); // file size, below
    w.U16(movie.width);
    w.U16(movie.height);
    w.U16(movie.frameRate);
    w.U16(movie.frameCount);
    w.U32(movie.background);
    w.U32(0);
    w.U32(0);
    for (const Image& image : movie.images)
        WriteImage(w, image);
    for (const Sound& sound : movie.sounds) {
        const size_t at = w.Begin(chunk::kSound);
        w.Bytes(sound.wav.data(), sound.wav.size());
        w.End(at);
    }
    for (const Item& item : movie.items)
        WriteItem(w, item);
    for (const Button& button : movie.buttons)
        WriteButton(w, button);
    for (const FrameRecord& frame : movie.frames)
        WriteFrame(w, frame);
    std::vector<uint8_t>& out = w.Out();
    const uint32_t size = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[8 + i] = static_cast<uint8_t>(size >> (8 * i));
    return std::move(out);
}

} // namespace tsln::movie
