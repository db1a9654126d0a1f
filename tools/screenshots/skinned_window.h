// A real top-level window wearing a skin the way the main window does: the skin manager applies the
// package (movie in the real player, outline, colours, size, page area) and the movie's commands are
// written down. Shared by the screenshot tool and the tests of the shipped skins.
#pragma once
#include "core/window.h"
#include "shellutil/movie_player.h"
#include "skins/player_movie.h"
#include "skins/skin_target.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tsln::skintool {

class SkinnedWindow : public Window, public SkinTarget {
public:
    // COM must be initialised on the thread (single-threaded apartment).
    SkinnedWindow();

    HWND Hwnd() const override { return hwnd(); }
    void ForEachControl(const std::function<void(SkinColorable&)>& visit) override {}
    bool SetBackColor(COLORREF color) override;
    bool SetForeColor(COLORREF color) override;
    void SetRTop(int16_t twips) override { rTop = twips; }
    void SetRLeft(int16_t twips) override { rLeft = twips; }
    SkinMovie* Movie() override { return &movie_; }

    MoviePlayer& Player() { return player_; }
    // The skins page this window does not have: controls that take everything and show nothing.
    static SkinsPageControls NoPage();

    std::optional<COLORREF> back, fore;
    std::optional<int16_t> rTop, rLeft;
    // What the movie sent, in order. A "tab" also steps the movie +4, as the main window does.
    std::vector<std::pair<std::string, std::string>> commands;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const char* FailureSource() const override { return "Tessaline.SkinnedWindow.WindowProc"; }

private:
    MoviePlayer player_;
    PlayerSkinMovie movie_;
    unique_gdi brush_;
};

} // namespace tsln::skintool
