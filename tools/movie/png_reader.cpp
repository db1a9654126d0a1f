#include "tools/movie/png_reader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tsln::moviec {
namespace {

uint32_t Be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

[[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why);
}

int Channels(int colorType) {
    switch (colorType) {
    case 0:
    case 3:
        return 1;
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        Fail("unknown PNG colour type " + std::to_string(colorType));
    }
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes the per-row filters in place; rows are 1 filter byte plus `stride` bytes.
void Unfilter(std::vector<uint8_t>& data, size_t rows, size_t stride, size_t bpp) {
    std::vector<uint8_t> zero(stride, 0);
    for (size_t y = 0; y < rows; ++y) {
        uint8_t* row = &data[y * (stride + 1)];
        const uint8_t filter = row[0];
        uint8_t* cur = row + 1;
        const uint8_t* prev = y ? &data[(y - 1) * (stride + 1) + 1] : zero.data();
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
            switch (filter) {
            case 0:
                break;
            case 1:
                cur[i] = static_cast<uint8_t>(cur[i] + a);
                break;
            case 2:
                cur[i] = static_cast<uint8_t>(cur[i] + b);
                break;
            case 3:
                cur[i] = static_cast<uint8_t>(cur[i] + (a + b) / 2);
                break;
            case 4:
                cur[i] = static_cast<uint8_t>(cur[i] + Paeth(a, b, c));
                break;
            default:
                Fail("bad PNG row filter");
            }
        }
    }
}

// Sample `index` of a row at `depth` bits, scaled to 8 bits (16-bit samples keep their high byte).
int Sample(const uint8_t* row, size_t index, int depth, bool scale) {
    if (depth == 8) return row[index];
    if (depth == 16) return row[index * 2];
    const size_t bit = index * depth;
    const int v = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
    return scale ? v * 255 / ((1 << depth) - 1) : v;
}

int Sample16(const uint8_t* row, size_t index, int depth) {
    return depth == 16 ? (row[index * 2] << 8) | row[index * 2 + 1] : Sample(row, index, depth, false);
}

} // namespace

movie::Image ReadPng(const std::vector<uint8_t>& file) {
    static const uint8_t kMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), kMagic, 8) != 0) Fail("not a PNG file");
    uint32_t width = 0, height = 0;
    int depth = 0, colorType = -1;
    std::vector<uint8_t> idat, palette, trns;
    bool ended = false;
    for (size_t at = 8; at < file.size() && !ended;) {
        if (file.size() - at < 12) Fail("PNG file cut short");
        const uint32_t length = Be32(&file[at]);
        if (length > file.size() - at - 12) Fail("PNG file cut short");
        const uint8_t* type = &file[at + 4];
        const uint8_t* body = type + 4;
        if (crc32(0, type, length + 4) != Be32(body + length)) Fail("PNG checksum mismatch");
        if (!std::memcmp(type, "IHDR", 4)) {
            if (length != 13) Fail("bad PNG header");
            width = Be32(body);
            height = Be32(body + 4);
            depth = body[8];
            colorType = body[9];
            if (body[12] != 0) Fail("interlaced PNG files are not supported: save it without interlacing");
            if (body[10] != 0 || body[11] != 0) Fail("unknown PNG compression or filter method");
        } else if (!std::memcmp(type, "PLTE", 4)) {
            palette.assign(body, body + length);
        } else if (!std::memcmp(type, "tRNS", 4)) {
            trns.assign(body, body + length);
        } else if (!std::memcmp(type, "IDAT", 4)) {
            idat.insert(idat.end(), body, body + length);
        } else if (!std::memcmp(type, "IEND", 4)) {
            ended = true;
        }
        at += 12 + length;
    }
    if (colorType < 0) Fail("PNG header missing");
    if (!ended) Fail("PNG file cut short");
    if (width == 0 || height == 0 || width > movie::kMaxImageSide || height > movie::kMaxImageSide)
        Fail("picture size " + std::to_string(width) + " x " + std::to_string(height) + " outside 1 to " +
             std::to_string(movie::kMaxImageSide));
    const int channels = Channels(colorType);
    const bool depthOk = depth == 8 || depth == 16 ||
                         ((colorType == 0 || colorType == 3) && (depth == 1 || depth == 2 || depth == 4));
    if (!depthOk || (colorType == 3 && depth == 16)) Fail("bad PNG bit depth");
    if (colorType == 3 && palette.empty()) Fail("PNG palette missing");

    const size_t bits = static_cast<size_t>(channels) * depth;
    const size_t stride = (width * bits + 7) / 8;
    const size_t bpp = bits >= 8 ? bits / 8 : 1;
    std::vector<uint8_t> data(height * (stride + 1));
    uLongf size = static_cast<uLongf>(data.size());
    if (uncompress(data.data(), &size, idat.data(), static_cast<uLong>(idat.size())) != Z_OK ||
        size != data.size())
        Fail("PNG picture data damaged");
    Unfilter(data, height, stride, bpp);

    movie::Image image;
    image.width = static_cast<uint16_t>(width);
    image.height = static_cast<uint16_t>(height);
    image.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = &data[y * (stride + 1) + 1];
        for (uint32_t x = 0; x < width; ++x) {
            int r, g, b, a = 255;
            const size_t i = static_cast<size_t>(x) * channels;
            if (colorType == 3) {
                const int index = Sample(row, x, depth, false);
                if (static_cast<size_t>(index) * 3 + 2 >= palette.size())
                    Fail("PNG palette index out of range");
                r = palette[index * 3];
                g = palette[index * 3 + 1];
                b = palette[index * 3 + 2];
                if (static_cast<size_t>(index) < trns.size()) a = trns[index];
            } else if (colorType == 0 || colorType == 4) {
                r = g = b = Sample(row, i, depth, true);
                if (colorType == 4) a = Sample(row, i + 1, depth, true);
                if (colorType == 0 && trns.size() >= 2 &&
                    Sample16(row, i, depth) == ((trns[0] << 8) | trns[1]))
                    a = 0;
            } else {
                r = Sample(row, i, depth, true);
                g = Sample(row, i + 1, depth, true);
                b = Sample(row, i + 2, depth, true);
                if (colorType == 6) a = Sample(row, i + 3, depth, true);
                if (colorType == 2 && trns.size() >= 6 &&
                    Sample16(row, i, depth) == ((trns[0] << 8) | trns[1]) &&
                    Sample16(row, i + 1, depth) == ((trns[2] << 8) | trns[3]) &&
                    Sample16(row, i + 2, depth) == ((trns[4] << 8) | trns[5]))
                    a = 0;
            }
            uint8_t* out = &image.pixels[(static_cast<size_t>(y) * width + x) * 4];
            out[0] = static_cast<uint8_t>((b * a + 127) / 255);
            out[1] = static_cast<uint8_t>((g * a + 127) / 255);
            out[2] = static_cast<uint8_t>((r * a + 127) / 255);
            out[3] = static_cast<uint8_t>(a);
        }
    }
    return image;
}

} // namespace tsln::moviec
