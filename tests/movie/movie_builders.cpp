#include "tests/movie/movie_builders.h"
#include "movie/movie_writer.h"

namespace movietest {

using namespace tsln::movie;

Image TinyImage() {
    Image image;
    image.width = 2;
    image.height = 2;
    image.pixels = {0, 0, 255, 255, 128, 128, 128, 128, 0, 0, 0, 0, 255, 0, 0, 255};
    return image;
}

std::vector<uint8_t> TinyWave() {
    std::vector<uint8_t> w = {'R',  'I',  'F', 'F', 40,   0,    0, 0, 'W', 'A', 'V', 'E',
                              'f',  'm',  't', ' ', 16,   0,    0, 0, 1,   0,   1,   0,
                              0x40, 0x1F, 0,   0,   0x40, 0x1F, 0, 0, 1,   0,   8,   0,
                              'd',  'a',  't', 'a', 4,    0,    0, 0, 128, 200, 128, 60};
    return w;
}

Movie SampleMovie() {
    Movie m;
    m.width = 100;
    m.height = 50;
    m.frameRate = 10;
    m.frameCount = 10;
    m.background = 0x00402010;
    m.images.push_back(TinyImage());
    m.sounds.push_back({TinyWave()});

    Item rect;
    rect.kind = ItemKind::kRect;
    rect.box = {10, 10, 20, 10};
    rect.filled = true;
    rect.fill = 0x000000FF;
    Item round = rect;
    round.kind = ItemKind::kRoundRect;
    round.radius = 3;
    round.lineWidth = 1;
    round.line = 0x00FFFFFF;
    Item ellipse = rect;
    ellipse.kind = ItemKind::kEllipse;
    ellipse.box = {40, 10, 20, 20};
    Item polygon;
    polygon.kind = ItemKind::kPolygon;
    polygon.points = {{60, 0}, {80, 0}, {70, 20}};
    polygon.box = {60, 0, 20, 20};
    polygon.filled = true;
    polygon.fill = 0x0000FF00;
    Item gradient;
    gradient.kind = ItemKind::kGradient;
    gradient.box = {0, 40, 100, 10};
    gradient.vertical = true;
    gradient.from = 0x00000000;
    gradient.to = 0x00FFFFFF;
    Item text;
    text.kind = ItemKind::kText;
    text.box = {0, 30, 100, 10};
    text.text = "Hello";
    text.face = "Tahoma";
    text.size = 8;
    text.color = 0x00FFFFFF;
    text.flags = text_flags::kBold;
    text.align = Align::kCentre;
    text.valign = VAlign::kMiddle;
    Item picture;
    picture.kind = ItemKind::kPicture;
    picture.box = {90, 0, 4, 4};
    picture.image = 0;
    m.items = {rect, round, ellipse, polygon, gradient, text, picture};

    Button button;
    button.hit = 0;
    button.gotoFrame = 7;
    button.sound = 1;
    button.looks[0] = {0};
    button.looks[1] = {1};
    button.looks[2] = {1, 5};
    button.command = "cmd";
    button.argument = "arg";
    m.buttons.push_back(button);

    auto frame = [](int first, int last, std::vector<Action> actions, std::vector<DisplayEntry> display) {
        FrameRecord f;
        f.first = static_cast<uint16_t>(first);
        f.last = static_cast<uint16_t>(last);
        f.actions = std::move(actions);
        f.display = std::move(display);
        return f;
    };
    const DisplayEntry all[] = {{false, 4}, {false, 2}, {false, 3}, {false, 6}, {false, 5}};
    const std::vector<DisplayEntry> items(std::begin(all), std::end(all));
    std::vector<DisplayEntry> withButton = items;
    withButton.push_back({true, 0});
    m.frames = {
        frame(1, 1, {{ActionKind::kSoundOn}, {ActionKind::kGoto, 3}, {ActionKind::kSoundOff}}, items),
        frame(2, 2, {{ActionKind::kSoundOff}, {ActionKind::kGoto, 3}}, items),
        frame(3, 4, {{ActionKind::kPlay}}, items),
        frame(5, 5, {{ActionKind::kStop}}, withButton),
        frame(6, 6, {{ActionKind::kGoto, 7}}, items),
        frame(7, 7, {{ActionKind::kGoto, 6}}, items),
        frame(8, 10, {}, {}),
    };
    return m;
}

std::vector<uint8_t> Bytes(const Movie& movie) {
    return Serialize(movie);
}

} // namespace movietest
