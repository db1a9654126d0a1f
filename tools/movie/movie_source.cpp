#include "tools/movie/movie_source.h"
#include "tools/movie/png_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

namespace tsln::moviec {
namespace {

using movie::Item;
using movie::ItemKind;

struct Token {
    std::string text;
    bool quoted = false;
};

// A line's words: blanks separate them, "..." quotes (with \" \\ \n), "//" ends the line.
std::vector<Token> Tokenize(const std::string& line, const std::function<void(const std::string&)>& fail) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else if (c == '"') {
            Token t{"", true};
            for (++i;; ++i) {
                if (i >= line.size()) fail("a quoted text is not closed");
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < line.size()) {
                    const char e = line[++i];
                    t.text += e == 'n' ? '\n' : e;
                } else {
                    t.text += line[i];
                }
            }
            ++i;
            tokens.push_back(std::move(t));
        } else {
            const size_t end = line.find_first_of(" \t\r\"", i);
            tokens.push_back({line.substr(i, end == std::string::npos ? std::string::npos : end - i), false});
            i = end == std::string::npos ? line.size() : end;
        }
    }
    return tokens;
}

enum class SymbolKind { kImage, kSound, kItem, kGroup, kButton };

struct Symbol {
    SymbolKind kind;
    int index = 0;                            // image, sound, item or button
    std::vector<movie::DisplayEntry> members; // group
};

class Compiler {
public:
    Compiler(const std::string& name, const FileReader& read) : name_(name), read_(read) {}
    movie::Movie Run(const std::string& text);

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw SourceError(name_ + ":" + std::to_string(line_) + ": " + why);
    }
    // Statement words, read left to right.
    bool More() const { return at_ < tokens_.size(); }
    const Token& Next(const char* what) {
        if (!More()) Fail(std::string("missing ") + what);
        return tokens_[at_++];
    }
    bool Take(const char* word) {
        if (More() && !tokens_[at_].quoted && tokens_[at_].text == word) {
            ++at_;
            return true;
        }
        return false;
    }
    void End() {
        if (More()) Fail("unexpected '" + tokens_[at_].text + "'");
    }
    long Number(const char* what, long low, long high);
    int16_t Coord(const char* what) { return static_cast<int16_t>(Number(what, -32768, 32767)); }
    int16_t Length(const char* what) { return static_cast<int16_t>(Number(what, 0, 32767)); }
    movie::Color Colour();
    std::string Quoted(const char* what);
    std::string NewName();
    const Symbol& Find(const std::string& name);
    void Members(std::vector<movie::DisplayEntry>& out, bool itemsOnly, bool allowEmpty = false);

    void Statement(const std::string& keyword);
    void MovieHeader();
    // An item of `kind` with the box that follows its name: x y width height.
    Item Boxed(ItemKind kind);
    void ShapeStyle(Item& item);
    void Shape(ItemKind kind);
    void Polygon();
    void Gradient();
    void Text();
    void Picture();
    void Button();
    void Frame();
    void AddItem(const std::string& name, Item item);
    void Define(const std::string& name, Symbol symbol);

    std::string name_;
    const FileReader& read_;
    std::vector<std::string> lines_;
    size_t next_ = 0; // next line to read
    int line_ = 0;    // line number of the statement being read
    std::vector<Token> tokens_;
    size_t at_ = 0;
    bool haveHeader_ = false;
    movie::Movie movie_;
    std::map<std::string, Symbol> symbols_;
    std::map<int, movie::FrameRecord> frames_; // by first frame
    std::map<int, int> gotoTargets_; // frame -> first line going there; checked once every frame is known
    bool ReadLine();
};

long Compiler::Number(const char* what, long low, long high) {
    const Token& t = Next(what);
    char* end = nullptr;
    const long value = std::strtol(t.text.c_str(), &end, 10);
    if (t.quoted || t.text.empty() || *end != '\0')
        Fail(std::string("expected ") + what + ", found '" + t.text + "'");
    if (value < low || value > high)
        Fail(std::string(what) + " " + t.text + " outside " + std::to_string(low) + " to " +
             std::to_string(high));
    return value;
}

movie::Color Compiler::Colour() {
    const Token& t = Next("colour");
    const std::string& s = t.text;
    const bool hex = s.size() > 1 && s.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
    if (t.quoted || s.empty() || s[0] != '#' || !hex || (s.size() != 7 && s.size() != 4))
        Fail("expected a colour like #1f3b5a, found '" + s + "'");
    unsigned long rgb = std::strtoul(s.c_str() + 1, nullptr, 16);
    if (s.size() == 4) // #rgb
        rgb = ((rgb & 0xF00) << 12 | (rgb & 0xF00) << 8) | ((rgb & 0x0F0) << 8 | (rgb & 0x0F0) << 4) |
              ((rgb & 0x00F) << 4 | (rgb & 0x00F));
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16); // to 0x00BBGGRR
}

std::string Compiler::Quoted(const char* what) {
    const Token& t = Next(what);
    if (!t.quoted) Fail(std::string("expected ") + what + " in double quotes, found '" + t.text + "'");
    return t.text;
}

std::string Compiler::NewName() {
    const Token& t = Next("name");
    const std::string& s = t.text;
    if (t.quoted || s.empty() ||
        s.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.") !=
            std::string::npos ||
        (s[0] >= '0' && s[0] <= '9'))
        Fail("'" + s + "' is no name (letters, digits, _ - and ., not starting with a digit)");
    if (symbols_.count(s)) Fail("'" + s + "' is already defined");
    return s;
}

const Symbol& Compiler::Find(const std::string& name) {
    auto it = symbols_.find(name);
    if (it == symbols_.end()) Fail("'" + name + "' is not defined (yet)");
    return it->second;
}

void Compiler::Define(const std::string& name, Symbol symbol) {
    symbols_.emplace(name, std::move(symbol));
}

// The rest of the line: items, groups and (unless itemsOnly) buttons, in drawing order.
void Compiler::Members(std::vector<movie::DisplayEntry>& out, bool itemsOnly, bool allowEmpty) {
    if (!More() && !allowEmpty) Fail("nothing to show");
    while (More()) {
        const Token& t = Next("name");
        const Symbol& s = Find(t.text);
        switch (s.kind) {
        case SymbolKind::kItem:
            out.push_back({false, static_cast<uint16_t>(s.index)});
            break;
        case SymbolKind::kButton:
            if (itemsOnly) Fail("a button cannot be part of a button's look: '" + t.text + "'");
            out.push_back({true, static_cast<uint16_t>(s.index)});
            break;
        case SymbolKind::kGroup:
            for (const movie::DisplayEntry& e : s.members) {
                if (itemsOnly && e.button)
                    Fail("group '" + t.text + "' holds a button; a look holds only items");
                out.push_back(e);
            }
            break;
        default:
            Fail("'" + t.text + "' is a picture file or a sound; show it with a 'picture' item");
        }
    }
}

void Compiler::AddItem(const std::string& name, Item item) {
    if (movie_.items.size() >= movie::kMaxItems) Fail("too many items");
    Define(name, {SymbolKind::kItem, static_cast<int>(movie_.items.size()), {}});
    movie_.items.push_back(std::move(item));
}

void Compiler::MovieHeader() {
    if (haveHeader_) Fail("a second 'movie' line");
    movie_.width = static_cast<uint16_t>(Number("width", 1, movie::kMaxStageSide));
    movie_.height = static_cast<uint16_t>(Number("height", 1, movie::kMaxStageSide));
    while (More()) {
        if (Take("fps"))
            movie_.frameRate = static_cast<uint16_t>(Number("frame rate", 1, movie::kMaxFrameRate));
        else if (Take("background"))
            movie_.background = Colour();
        else
            Fail("unexpected '" + Next("word").text + "' (fps N, background #rrggbb)");
    }
    haveHeader_ = true;
}

void Compiler::ShapeStyle(Item& item) {
    while (More()) {
        if (Take("fill")) {
            item.filled = true;
            item.fill = Colour();
        } else if (Take("line")) {
            item.line = Colour();
            item.lineWidth = 1;
            if (More() && !tokens_[at_].quoted &&
                std::isdigit(static_cast<unsigned char>(tokens_[at_].text[0])))
                item.lineWidth = static_cast<uint16_t>(Number("line width", 1, movie::kMaxLineWidth));
        } else {
            Fail("unexpected '" + Next("word").text + "' (fill #rrggbb, line #rrggbb [width])");
        }
    }
}

Item Compiler::Boxed(ItemKind kind) {
    Item item;
    item.kind = kind;
    item.box = {Coord("x"), Coord("y"), Length("width"), Length("height")}; // read left to right
    return item;
}

void Compiler::Shape(ItemKind kind) {
    const std::string name = NewName();
    Item item = Boxed(kind);
    if (kind == ItemKind::kRoundRect) item.radius = static_cast<uint16_t>(Number("corner radius", 0, 32767));
    ShapeStyle(item);
    AddItem(name, std::move(item));
}

void Compiler::Polygon() {
    const std::string name = NewName();
    Item item;
    item.kind = ItemKind::kPolygon;
    while (More() && !tokens_[at_].quoted && tokens_[at_].text.find(',') != std::string::npos) {
        const std::string pair = Next("point").text;
        const size_t comma = pair.find(',');
        char* end1 = nullptr;
        char* end2 = nullptr;
        const std::string xs = pair.substr(0, comma), ys = pair.substr(comma + 1);
        const long x = std::strtol(xs.c_str(), &end1, 10), y = std::strtol(ys.c_str(), &end2, 10);
        if (xs.empty() || ys.empty() || *end1 || *end2 || x < -32768 || x > 32767 || y < -32768 || y > 32767)
            Fail("expected a point like 10,20, found '" + pair + "'");
        item.points.push_back({static_cast<int16_t>(x), static_cast<int16_t>(y)});
    }
    if (item.points.size() < 3) Fail("a polygon needs at least 3 points (x,y)");
    if (item.points.size() > movie::kMaxPolygonPoints) Fail("a polygon has at most 1024 points");
    ShapeStyle(item);
    AddItem(name, std::move(item));
}

void Compiler::Gradient() {
    const std::string name = NewName();
    Item item = Boxed(ItemKind::kGradient);
    if (Take("vertical"))
        item.vertical = true;
    else if (!Take("horizontal"))
        Fail("expected 'horizontal' or 'vertical'");
    item.from = Colour();
    item.to = Colour();
    End();
    AddItem(name, std::move(item));
}

void Compiler::Text() {
    const std::string name = NewName();
    Item item = Boxed(ItemKind::kText);
    item.text = Quoted("text");
    if (item.text.size() > movie::kMaxTextBytes) Fail("a text has at most 1024 characters");
    while (More()) {
        if (Take("font")) {
            item.face = Quoted("font name");
            if (item.face.empty() || item.face.size() > movie::kMaxFaceBytes)
                Fail("a font name has 1 to 31 characters");
        } else if (Take("size")) {
            item.size = static_cast<uint16_t>(Number("size", 1, movie::kMaxTextSize));
        } else if (Take("colour") || Take("color")) {
            item.color = Colour();
        } else if (Take("bold")) {
            item.flags |= movie::text_flags::kBold;
        } else if (Take("italic")) {
            item.flags |= movie::text_flags::kItalic;
        } else if (Take("underline")) {
            item.flags |= movie::text_flags::kUnderline;
        } else if (Take("wrap")) {
            item.flags |= movie::text_flags::kWrap;
        } else if (Take("left")) {
            item.align = movie::Align::kLeft;
        } else if (Take("centre") || Take("center")) {
            item.align = movie::Align::kCentre;
        } else if (Take("right")) {
            item.align = movie::Align::kRight;
        } else if (Take("top")) {
            item.valign = movie::VAlign::kTop;
        } else if (Take("middle")) {
            item.valign = movie::VAlign::kMiddle;
        } else if (Take("bottom")) {
            item.valign = movie::VAlign::kBottom;
        } else {
            Fail("unexpected '" + Next("word").text + "' in a text");
        }
    }
    AddItem(name, std::move(item));
}

void Compiler::Picture() {
    const std::string name = NewName();
    const Token& file = Next("picture file name");
    const Symbol& image = Find(file.text);
    if (image.kind != SymbolKind::kImage) Fail("'" + file.text + "' is not an image");
    Item item;
    item.kind = ItemKind::kPicture;
    item.image = static_cast<uint16_t>(image.index);
    item.box.x = Coord("x");
    item.box.y = Coord("y");
    const movie::Image& pixels = movie_.images[image.index];
    item.box.width = static_cast<int16_t>(pixels.width);
    item.box.height = static_cast<int16_t>(pixels.height);
    if (More()) {
        item.box.width = static_cast<int16_t>(Number("width", 1, 32767));
        item.box.height = static_cast<int16_t>(Number("height", 1, 32767));
    }
    End();
    AddItem(name, std::move(item));
}

void Compiler::Button() {
    const std::string name = NewName();
    End();
    if (movie_.buttons.size() >= movie::kMaxButtons) Fail("too many buttons");
    movie::Button button;
    bool looks[movie::kLookCount] = {}, hit = false;
    const int startLine = line_;
    for (;;) {
        if (!ReadLine()) {
            line_ = startLine;
            Fail("button '" + name + "' has no 'end'");
        }
        if (Take("end")) {
            End();
            break;
        }
        static const char* const kLooks[] = {"up", "over", "down"};
        bool handled = false;
        for (int i = 0; i < movie::kLookCount && !handled; ++i) {
            if (!Take(kLooks[i])) continue;
            std::vector<movie::DisplayEntry> members;
            Members(members, true, true); // an invisible button has empty looks
            for (const movie::DisplayEntry& e : members)
                button.looks[i].push_back(e.index);
            if (button.looks[i].size() > movie::kMaxLookItems) Fail("a look has at most 64 items");
            looks[i] = handled = true;
        }
        if (handled) continue;
        if (Take("hit")) {
            const Token& t = Next("hit area");
            const Symbol& s = Find(t.text);
            if (s.kind != SymbolKind::kItem || !movie::IsShape(movie_.items[s.index].kind))
                Fail("the hit area must be a rect, roundrect, ellipse, polygon or gradient");
            button.hit = static_cast<uint16_t>(s.index);
            hit = true;
            End();
        } else if (Take("send")) {
            button.command = Quoted("command");
            if (More()) button.argument = Quoted("argument");
            if (button.command.size() > movie::kMaxCommandBytes ||
                button.argument.size() > movie::kMaxCommandBytes)
                Fail("a command or argument has at most 255 characters");
            End();
        } else if (Take("goto")) {
            button.gotoFrame = static_cast<uint16_t>(Number("frame", 1, movie::kMaxFrames));
            gotoTargets_.emplace(button.gotoFrame, line_);
            End();
        } else if (Take("click")) {
            const Token& t = Next("sound");
            const Symbol& s = Find(t.text);
            if (s.kind != SymbolKind::kSound) Fail("'" + t.text + "' is not a sound");
            button.sound = static_cast<uint16_t>(s.index + 1);
            End();
        } else if (Take("press")) {
            button.onPress = true;
            End();
        } else {
            Fail("unexpected '" + Next("word").text +
                 "' in a button (up, over, down, hit, send, goto, click, press, end)");
        }
    }
    if (!looks[0]) Fail("button '" + name + "' has no 'up' look");
    if (!hit) Fail("button '" + name + "' has no 'hit' area");
    if (!looks[1]) button.looks[1] = button.looks[0];
    if (!looks[2]) button.looks[2] = button.looks[1];
    Define(name, {SymbolKind::kButton, static_cast<int>(movie_.buttons.size()), {}});
    movie_.buttons.push_back(std::move(button));
}

void Compiler::Frame() {
    // A copy: reading the frame's lines replaces the tokens, and the message for a missing end names it.
    const std::string range = Next("frame number").text;
    const size_t dash = range.find('-');
    int first = 0, last = 0;
    {
        char* end = nullptr;
        const std::string a = range.substr(0, dash);
        first = static_cast<int>(std::strtol(a.c_str(), &end, 10));
        if (a.empty() || *end) Fail("expected a frame number or range like 3-10, found '" + range + "'");
        last = first;
        if (dash != std::string::npos) {
            const std::string b = range.substr(dash + 1);
            last = static_cast<int>(std::strtol(b.c_str(), &end, 10));
            if (b.empty() || *end) Fail("expected a frame number or range like 3-10, found '" + range + "'");
        }
    }
    if (first < 1 || last < first || last > movie::kMaxFrames)
        Fail("frames are numbered 1 to 4096, first to last");
    for (const auto& [start, record] : frames_)
        if (first <= record.last && start <= last)
            Fail("frames " + range + " overlap frames " + std::to_string(start) + "-" +
                 std::to_string(record.last));
    movie::FrameRecord record;
    record.first = static_cast<uint16_t>(first);
    record.last = static_cast<uint16_t>(last);
    if (Take("like")) {
        const int source = static_cast<int>(Number("frame", 1, movie::kMaxFrames));
        auto it = frames_.upper_bound(source);
        if (it == frames_.begin() || (--it)->second.last < source)
            Fail("frame " + std::to_string(source) + " is not defined above");
        record.display = it->second.display;
    }
    End();
    const int startLine = line_;
    for (;;) {
        if (!ReadLine()) {
            line_ = startLine;
            Fail("frame " + range + " has no 'end'");
        }
        if (Take("end")) {
            End();
            break;
        }
        movie::Action action;
        if (Take("show")) {
            Members(record.display, false);
            if (record.display.size() > movie::kMaxDisplayEntries) Fail("a frame shows at most 512 things");
            continue;
        }
        if (Take("stop")) {
            action.kind = movie::ActionKind::kStop;
        } else if (Take("play")) {
            action.kind = movie::ActionKind::kPlay;
        } else if (Take("goto")) {
            action.kind = movie::ActionKind::kGoto;
            action.frame = static_cast<uint16_t>(Number("frame", 1, movie::kMaxFrames));
            gotoTargets_.emplace(action.frame, line_);
        } else if (Take("sound")) {
            if (Take("on"))
                action.kind = movie::ActionKind::kSoundOn;
            else if (Take("off"))
                action.kind = movie::ActionKind::kSoundOff;
            else
                Fail("expected 'sound on' or 'sound off'");
        } else {
            Fail("unexpected '" + Next("word").text + "' in a frame (show, stop, play, goto, sound, end)");
        }
        End();
        if (record.actions.size() >= movie::kMaxActions) Fail("a frame has at most 16 actions");
        record.actions.push_back(action);
    }
    frames_.emplace(first, std::move(record));
}

void Compiler::Statement(const std::string& keyword) {
    if (keyword == "movie") return MovieHeader();
    if (!haveHeader_) Fail("the description starts with 'movie WIDTH HEIGHT'");
    if (keyword == "image" || keyword == "sound") {
        const std::string name = NewName();
        const std::string file = Quoted("file name");
        End();
        std::vector<uint8_t> bytes;
        try {
            bytes = read_(file);
        } catch (const std::exception& e) {
            Fail("cannot read '" + file + "': " + e.what());
        }
        if (keyword == "sound") {
            if (movie_.sounds.size() >= movie::kMaxSounds) Fail("too many sounds");
            if (bytes.size() > movie::kMaxSoundBytes) Fail("'" + file + "' is larger than 1 MiB");
            if (!movie::IsPlayableWave(bytes.data(), bytes.size()))
                Fail("'" + file + "' is not a plain PCM WAVE file (8 or 16 bits, mono or stereo)");
            Define(name, {SymbolKind::kSound, static_cast<int>(movie_.sounds.size()), {}});
            movie_.sounds.push_back({std::move(bytes)});
            return;
        }
        if (movie_.images.size() >= movie::kMaxImages) Fail("too many images");
        try {
            movie_.images.push_back(ReadPng(bytes));
        } catch (const std::exception& e) {
            Fail("'" + file + "': " + e.what());
        }
        Define(name, {SymbolKind::kImage, static_cast<int>(movie_.images.size() - 1), {}});
        return;
    }
    if (keyword == "rect") return Shape(ItemKind::kRect);
    if (keyword == "roundrect") return Shape(ItemKind::kRoundRect);
    if (keyword == "ellipse") return Shape(ItemKind::kEllipse);
    if (keyword == "polygon") return Polygon();
    if (keyword == "gradient") return Gradient();
    if (keyword == "text") return Text();
    if (keyword == "picture") return Picture();
    if (keyword == "button") return Button();
    if (keyword == "frame") return Frame();
    if (keyword == "group") {
        const std::string name = NewName();
        Symbol group{SymbolKind::kGroup, 0, {}};
        Members(group.members, false);
        Define(name, std::move(group));
        return;
    }
    Fail("unknown statement '" + keyword + "'");
}

bool Compiler::ReadLine() {
    while (next_ < lines_.size()) {
        line_ = static_cast<int>(++next_);
        const std::string& text = lines_[next_ - 1];
        const size_t first = text.find_first_not_of(" \t\r");
        if (first == std::string::npos || text[first] == '#') continue;
        tokens_ = Tokenize(text, [this](const std::string& why) { Fail(why); });
        at_ = 0;
        if (!tokens_.empty()) return true;
    }
    return false;
}

movie::Movie Compiler::Run(const std::string& text) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines_.push_back(line);
    while (ReadLine()) {
        const Token& keyword = Next("statement");
        if (keyword.quoted) Fail("a statement starts with a word");
        Statement(std::string(keyword.text)); // a copy: a statement may read on, replacing the tokens
    }
    if (!haveHeader_) Fail("the description starts with 'movie WIDTH HEIGHT'");
    if (frames_.empty()) Fail("the movie has no frames");

    // Frames left out are empty; the last frame defined is the last frame of the movie.
    int expected = 1;
    for (auto& [first, record] : frames_) {
        if (first > expected) {
            movie::FrameRecord gap;
            gap.first = static_cast<uint16_t>(expected);
            gap.last = static_cast<uint16_t>(first - 1);
            movie_.frames.push_back(gap);
        }
        movie_.frames.push_back(std::move(record));
        expected = movie_.frames.back().last + 1;
    }
    movie_.frameCount = static_cast<uint16_t>(expected - 1);
    for (const auto& [target, line] : gotoTargets_) {
        if (target > movie_.frameCount) {
            line_ = line;
            Fail("goto " + std::to_string(target) + ": the movie ends at frame " +
                 std::to_string(movie_.frameCount));
        }
    }
    return std::move(movie_);
}

} // namespace

movie::Movie Compile(const std::string& text, const std::string& sourceName, const FileReader& read) {
    return Compiler(sourceName, read).Run(text);
}

} // namespace tsln::moviec
