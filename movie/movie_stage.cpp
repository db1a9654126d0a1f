#include "movie/movie_stage.h"

#include <algorithm>
#include <cmath>

namespace tsln::movie {
namespace {

constexpr double kOutside = -1e9; // a stage point no shape can hold

bool InRect(double x, double y, double left, double top, double width, double height) noexcept {
    return x >= left && x < left + width && y >= top && y < top + height;
}

bool InEllipse(double x, double y, double left, double top, double width, double height) noexcept {
    if (width <= 0 || height <= 0) return false;
    const double nx = (x - left - width / 2) / (width / 2);
    const double ny = (y - top - height / 2) / (height / 2);
    return nx * nx + ny * ny <= 1.0;
}

bool InRoundRect(const Item& item, double x, double y) noexcept {
    const Box& b = item.box;
    if (!InRect(x, y, b.x, b.y, b.width, b.height)) return false;
    const double r = std::min<double>(item.radius, std::min(b.width, b.height) / 2.0);
    if (r <= 0) return true;
    // Inside the rectangle but in a corner square: the corner's quarter circle decides.
    const double cx = x < b.x + r ? b.x + r : (x > b.x + b.width - r ? b.x + b.width - r : x);
    const double cy = y < b.y + r ? b.y + r : (y > b.y + b.height - r ? b.y + b.height - r : y);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool InPolygon(const std::vector<Point>& points, double x, double y) noexcept {
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const double xi = points[i].x, yi = points[i].y, xj = points[j].x, yj = points[j].y;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

bool Shows(const Movie& movie, int frame, int button) noexcept {
    for (const DisplayEntry& entry : movie.Frame(frame).display)
        if (entry.button && entry.index == button) return true;
    return false;
}

} // namespace

View View::NoBorder(int stageWidth, int stageHeight, int targetWidth, int targetHeight) noexcept {
    View v;
    if (stageWidth <= 0 || stageHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return v;
    v.scale = std::max(static_cast<double>(targetWidth) / stageWidth,
                       static_cast<double>(targetHeight) / stageHeight);
    v.offsetX = (targetWidth - stageWidth * v.scale) / 2;
    v.offsetY = (targetHeight - stageHeight * v.scale) / 2;
    return v;
}

int View::X(double stageX) const noexcept {
    return static_cast<int>(std::lround(offsetX + stageX * scale));
}
int View::Y(double stageY) const noexcept {
    return static_cast<int>(std::lround(offsetY + stageY * scale));
}
double View::StageX(int targetX) const noexcept {
    return scale > 0 ? (targetX + 0.5 - offsetX) / scale : kOutside;
}
double View::StageY(int targetY) const noexcept {
    return scale > 0 ? (targetY + 0.5 - offsetY) / scale : kOutside;
}

bool Contains(const Item& item, double x, double y) noexcept {
    const Box& b = item.box;
    switch (item.kind) {
    case ItemKind::kRect:
    case ItemKind::kGradient:
        return InRect(x, y, b.x, b.y, b.width, b.height);
    case ItemKind::kRoundRect:
        return InRoundRect(item, x, y);
    case ItemKind::kEllipse:
        return InEllipse(x, y, b.x, b.y, b.width, b.height);
    case ItemKind::kPolygon:
        return item.points.size() >= 3 && InPolygon(item.points, x, y);
    default:
        return false;
    }
}

int ButtonAt(const Movie& movie, int frame, double x, double y) noexcept {
    if (frame < 1 || frame > movie.frameCount) return ButtonStates::kNone;
    const std::vector<DisplayEntry>& display = movie.Frame(frame).display;
    for (auto it = display.rbegin(); it != display.rend(); ++it)
        if (it->button && Contains(movie.items[movie.buttons[it->index].hit], x, y)) return it->index;
    return ButtonStates::kNone;
}

Look ButtonStates::LookOf(int button) const noexcept {
    if (button == pressed_) return hover_ == button ? Look::kDown : Look::kUp;
    return button == hover_ && pressed_ == kNone ? Look::kOver : Look::kUp;
}

void ButtonStates::Move(const Movie& movie, int frame, double x, double y) noexcept {
    havePoint_ = true;
    x_ = x;
    y_ = y;
    hover_ = ButtonAt(movie, frame, x, y);
}

int ButtonStates::Down(const Movie& movie, int frame, double x, double y) noexcept {
    Move(movie, frame, x, y);
    if (hover_ == kNone) return kNone;
    if (movie.buttons[hover_].onPress) return hover_;
    pressed_ = hover_;
    return kNone;
}

int ButtonStates::Up(const Movie& movie, int frame, double x, double y) noexcept {
    Move(movie, frame, x, y);
    const int fired = pressed_ != kNone && hover_ == pressed_ ? pressed_ : kNone;
    pressed_ = kNone;
    return fired;
}

void ButtonStates::Leave() noexcept {
    havePoint_ = false;
    hover_ = kNone;
}

void ButtonStates::Refresh(const Movie* movie, int frame) noexcept {
    if (!movie || frame < 1) {
        hover_ = pressed_ = kNone;
        return;
    }
    if (pressed_ != kNone &&
        (pressed_ >= static_cast<int>(movie->buttons.size()) || !Shows(*movie, frame, pressed_)))
        pressed_ = kNone;
    hover_ = havePoint_ ? ButtonAt(*movie, frame, x_, y_) : kNone;
}

} // namespace tsln::movie
