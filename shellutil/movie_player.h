// The skin movie behind a narrow interface: the player component (tslnplay.dll) is created through COM
// and no window of the program touches COM itself.
#pragma once
#include "core/unique_any.h"

#include <windows.h>
#include <functional>
#include <string>

namespace tsln {

struct ITslnMoviePlayer;

class MoviePlayer {
public:
    // Creates the player registered under the player class id (CoCreateInstance, in-process). The
    // thread must have initialised COM as a single-threaded apartment. Raises an AppError (the HRESULT
    // and its text) when the player is not registered or cannot start.
    MoviePlayer();
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Loads the movie file whole (it may be deleted right after). A refused file raises an AppError
    // whose description says why; the movie shown before stays.
    void SetMovie(const std::string& path);
    // The frame shown; below 1 before any movie.
    long CurrentFrame() const;
    // False, and nothing changes, when the movie has no such frame.
    bool GotoFrame(long frame);
    void Play();
    void Stop();
    // Shows the movie in `parent` at the given client rectangle, in pixels.
    void Place(HWND parent, int left, int top, int width, int height);
    // The player's window (its class name begins with "ATL:"); nullptr before Place.
    HWND PlayerWindow() const;
    bool SoundOn() const;

    // A button of the movie was clicked: (command, argument). Runs on the thread that placed the player.
    std::function<void(const std::string& command, const std::string& args)> FSCommand;

private:
    class Sink;
    unique_com<ITslnMoviePlayer> player_;
    unique_com<Sink> sink_;
};

} // namespace tsln
