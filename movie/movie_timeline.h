// The playhead of a movie: the frame shown, whether it advances, and the movie's sound state, moved by
// the frame actions. Plain C++.
//
// After a movie is set the playhead stands on frame 1, stopped, with the sound off, and no action has run:
// the first GotoFrame or Play enters a frame and runs its actions. A frame's actions run in order each
// time it is entered; a goto enters its target at once (the rest of the list is skipped), and a chain of
// gotos ends after kMaxJumps so that a loop of gotos cannot hang the player.
#pragma once
#include "movie/movie_file.h"

namespace tsln::movie {

class Timeline {
public:
    static constexpr int kMaxJumps = 64;

    // The movie must outlive the timeline's use of it; nullptr clears.
    void SetMovie(const Movie* movie) noexcept;

    // 0 while there is no movie.
    int CurrentFrame() const noexcept { return current_; }
    bool Playing() const noexcept { return playing_; }
    bool SoundOn() const noexcept { return soundOn_; }

    // Enters `frame`; false (nothing changes) without a movie or when the frame does not exist. The
    // playing state stays as it was unless the frame's actions change it.
    bool GotoFrame(int frame) noexcept;
    // Starts the playhead; on a frame not entered yet, enters it first.
    void Play() noexcept;
    void Stop() noexcept { playing_ = false; }
    // One frame period while playing: enters the next frame, or stops on the last (movies do not loop).
    void Tick() noexcept;

private:
    void Enter(int frame) noexcept;

    const Movie* movie_ = nullptr;
    int current_ = 0;
    bool entered_ = false;
    bool playing_ = false;
    bool soundOn_ = false;
};

} // namespace tsln::movie
