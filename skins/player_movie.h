// The skin's movie in a window that plays it with the movie player component: what the window hands the
// skin manager as its SkinMovie.
#pragma once
#include "shellutil/movie_player.h"
#include "skins/skin_target.h"

#include <windows.h>
#include <string>

namespace tsln {

class PlayerSkinMovie : public SkinMovie {
public:
    // Neither is owned: the window owns its player and this adapter. The player is placed in the
    // window's handle as it is when the skin is applied.
    PlayerSkinMovie(MoviePlayer& player, const SkinTarget& window) : player_(player), window_(window) {}

    long CurrentFrame() override { return player_.CurrentFrame(); }
    void SetMovie(const std::string& path) override { player_.SetMovie(path); }
    void Move(int left, int top, int width, int height) override {
        player_.Place(window_.Hwnd(), left, top, width, height);
    }
    // A movie without that frame stays where it is, as a skin without its sound frames simply does.
    void GotoFrame(long frame) override { player_.GotoFrame(frame); }
    void Play() override { player_.Play(); }

private:
    MoviePlayer& player_;
    const SkinTarget& window_;
};

} // namespace tsln
