// The movie format (docs/movie-format.md): its model in memory, its limits and its parser. Plain C++ with
// zlib only, so the same code runs in tslnplay.dll, in the movie tool and in the native fuzzer.
#pragma once
#include "movie/movie_result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tsln::movie {

constexpr char kSignature[4] = {'T', 'S', 'M', 'V'};
constexpr uint16_t kFormatVersion = 1;
constexpr size_t kHeaderSize = 32;

// Limits. Anything beyond them is refused with kTooLarge before it is allocated.
constexpr size_t kMaxFileBytes = 16u << 20;
constexpr int kMaxStageSide = 4096;
constexpr int kMaxFrameRate = 60;
constexpr int kMaxFrames = 4096;
constexpr size_t kMaxImages = 256;
constexpr int kMaxImageSide = 4096;
constexpr uint64_t kMaxImagePixels = 8u << 20; // all images together
constexpr size_t kMaxSounds = 16;
constexpr size_t kMaxSoundBytes = 1u << 20;
constexpr size_t kMaxItems = 4096;
constexpr size_t kMaxPolygonPoints = 1024;
constexpr size_t kMaxButtons = 256;
constexpr size_t kMaxLookItems = 64;
constexpr size_t kMaxDisplayEntries = 512;
constexpr size_t kMaxActions = 16;
constexpr size_t kMaxTextBytes = 1024;
constexpr size_t kMaxFaceBytes = 31;
constexpr size_t kMaxCommandBytes = 255;
constexpr int kMaxTextSize = 512;
constexpr int kMaxLineWidth = 64;

// A colour as the platform takes it: 0x00BBGGRR.
using Color = uint32_t;

struct Point {
    int16_t x = 0;
    int16_t y = 0;
};

// Stage pixels; width and height are never negative.
struct Box {
    int16_t x = 0;
    int16_t y = 0;
    int16_t width = 0;
    int16_t height = 0;
};

enum class ItemKind : uint8_t {
    kRect = 1,
    kRoundRect = 2,
    kEllipse = 3,
    kPolygon = 4,
    kGradient = 5,
    kText = 6,
    kPicture = 7,
};

// Whether an item of this kind has an area a button can use as its hit area.
bool IsShape(ItemKind kind) noexcept;

namespace text_flags {
constexpr uint8_t kBold = 1;
constexpr uint8_t kItalic = 2;
constexpr uint8_t kUnderline = 4;
constexpr uint8_t kWrap = 8;
constexpr uint8_t kAll = 15;
} // namespace text_flags

enum class Align : uint8_t { kLeft = 0, kCentre = 1, kRight = 2 };
enum class VAlign : uint8_t { kTop = 0, kMiddle = 1, kBottom = 2 };

// One thing a frame or a button look draws. Which members matter depends on the kind.
struct Item {
    ItemKind kind = ItemKind::kRect;
    Box box; // polygon: its bounds, computed from the points
    // rect, round rect, ellipse, polygon
    bool filled = false;
    Color fill = 0;
    uint16_t lineWidth = 0; // 0: no outline
    Color line = 0;
    uint16_t radius = 0;       // round rect
    std::vector<Point> points; // polygon
    // gradient
    bool vertical = false;
    Color from = 0;
    Color to = 0;
    // text
    std::string text;
    std::string face;   // empty: the player's default face
    uint16_t size = 12; // character height in stage pixels
    Color color = 0;
    uint8_t flags = 0; // text_flags
    Align align = Align::kLeft;
    VAlign valign = VAlign::kTop;
    // picture
    uint16_t image = 0;
};

// Premultiplied BGRA, top row first, width * height * 4 bytes; no colour exceeds its alpha.
struct Image {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint8_t> pixels;
};

// A complete RIFF WAVE file holding plain PCM.
struct Sound {
    std::vector<uint8_t> wav;
};

enum class Look : uint8_t { kUp = 0, kOver = 1, kDown = 2 };
constexpr int kLookCount = 3;

struct Button {
    uint16_t hit = 0;       // item whose area answers the mouse (a shape; it need not be drawn)
    bool onPress = false;   // fires when pressed instead of when released over it
    uint16_t gotoFrame = 0; // 0: stays
    uint16_t sound = 0;     // 0: silent; else sound index + 1
    std::vector<uint16_t> looks[kLookCount]; // items drawn for up, over, down
    std::string command;
    std::string argument;
};

enum class ActionKind : uint8_t { kStop = 1, kPlay = 2, kGoto = 3, kSoundOn = 4, kSoundOff = 5 };

struct Action {
    ActionKind kind = ActionKind::kStop;
    uint16_t frame = 0; // goto only
};

struct DisplayEntry {
    bool button = false;
    uint16_t index = 0; // into items or buttons
};

// Frames first..last, all alike: the actions run when one of them is entered, the display list is drawn
// in order (later entries on top).
struct FrameRecord {
    uint16_t first = 1;
    uint16_t last = 1;
    std::vector<Action> actions;
    std::vector<DisplayEntry> display;
};

struct Movie {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t frameRate = 12;
    uint16_t frameCount = 0;
    Color background = 0;
    std::vector<Image> images;
    std::vector<Sound> sounds;
    std::vector<Item> items;
    std::vector<Button> buttons;
    std::vector<FrameRecord> frames; // ascending, covering 1..frameCount exactly once

    // The record of frame `number` (1..frameCount).
    const FrameRecord& Frame(int number) const;
};

// Reads a whole movie file. On any result but kOk `movie` is left empty.
Result Parse(const uint8_t* data, size_t size, Movie& movie);

// Whether `data` is a well-formed PCM WAVE file the platform can play from memory.
bool IsPlayableWave(const uint8_t* data, size_t size) noexcept;

} // namespace tsln::movie
