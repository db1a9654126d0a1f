// How the stage meets the window: the "NoBorder" scaling (fill, keep the aspect ratio, crop what falls
// outside, centred), hit testing of shapes, and the up/over/down state of the buttons. Plain C++.
#pragma once
#include "movie/movie_file.h"

namespace tsln::movie {

struct View {
    double scale = 0;
    double offsetX = 0;
    double offsetY = 0;

    // The stage scaled by the larger of the two ratios, so it covers the whole target and the excess is
    // cut equally on both sides.
    static View NoBorder(int stageWidth, int stageHeight, int targetWidth, int targetHeight) noexcept;
    // Target pixel edges of stage coordinates, rounded to the nearest.
    int X(double stageX) const noexcept;
    int Y(double stageY) const noexcept;
    // The stage point under the centre of a target pixel.
    double StageX(int targetX) const noexcept;
    double StageY(int targetY) const noexcept;
};

// Whether a stage point lies inside a shape item (false for text and pictures). Polygons use the
// alternate (even-odd) rule, as they are drawn.
bool Contains(const Item& shape, double x, double y) noexcept;

// The topmost button of frame `frame` whose hit area holds the point, or -1.
int ButtonAt(const Movie& movie, int frame, double x, double y) noexcept;

// The mouse's effect on the buttons of the frame shown. A button fires when the left button is released
// over the button it was pressed on, or at once when pressed for a button marked to fire on press.
class ButtonStates {
public:
    static constexpr int kNone = -1;

    Look LookOf(int button) const noexcept;
    // Something whose look depends on this changed when the key differs.
    long Key() const noexcept { return (hover_ + 1) * 1024L + pressed_ + 1; }
    int Hover() const noexcept { return hover_; }
    int Pressed() const noexcept { return pressed_; }

    void Move(const Movie& movie, int frame, double x, double y) noexcept;
    // The button to fire now, or kNone.
    int Down(const Movie& movie, int frame, double x, double y) noexcept;
    int Up(const Movie& movie, int frame, double x, double y) noexcept;
    // The mouse left the window.
    void Leave() noexcept;
    // The press ended elsewhere (capture lost).
    void CancelPress() noexcept { pressed_ = kNone; }
    // After the frame changed or the movie was replaced: forgets buttons no longer shown and finds the
    // one under the last known mouse point.
    void Refresh(const Movie* movie, int frame) noexcept;

private:
    int hover_ = kNone;
    int pressed_ = kNone;
    bool havePoint_ = false;
    double x_ = 0;
    double y_ = 0;
};

} // namespace tsln::movie
