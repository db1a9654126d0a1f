#include "movie/movie_timeline.h"

namespace tsln::movie {

void Timeline::SetMovie(const Movie* movie) noexcept {
    movie_ = movie;
    current_ = movie ? 1 : 0;
    entered_ = false;
    playing_ = false;
    soundOn_ = false;
}

bool Timeline::GotoFrame(int frame) noexcept {
    if (!movie_ || frame < 1 || frame > movie_->frameCount) return false;
    Enter(frame);
    return true;
}

void Timeline::Play() noexcept {
    if (!movie_) return;
    playing_ = true;
    if (!entered_) Enter(current_);
}

void Timeline::Tick() noexcept {
    if (!movie_ || !playing_) return;
    if (current_ >= movie_->frameCount) {
        playing_ = false;
        return;
    }
    Enter(current_ + 1);
}

void Timeline::Enter(int frame) noexcept {
    entered_ = true;
    for (int jumps = 0;; ++jumps) {
        current_ = frame;
        int target = 0;
        for (const Action& action : movie_->Frame(frame).actions) {
            switch (action.kind) {
            case ActionKind::kStop:
                playing_ = false;
                break;
            case ActionKind::kPlay:
                playing_ = true;
                break;
            case ActionKind::kSoundOn:
                soundOn_ = true;
                break;
            case ActionKind::kSoundOff:
                soundOn_ = false;
                break;
            case ActionKind::kGoto:
                target = action.frame;
                break;
            }
            if (target != 0) break;
        }
        if (target == 0 || jumps == kMaxJumps) return;
        frame = target;
    }
}

} // namespace tsln::movie
