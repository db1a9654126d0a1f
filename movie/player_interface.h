// The movie player's COM contract, shared by tslnplay.dll and its callers. No type library: an
// in-process server with apartment threading, created on a thread that called CoInitialize, so that
// callers always get the object itself and no marshalling is needed.
//
// Strings are ANSI, NUL-terminated, and only valid during the call. Frame numbers start at 1.
#pragma once
#include "movie/movie_result.h"
#include "movie/player_contract.h"

#include <windows.h>
#include <unknwn.h>

namespace tsln {

// {3F8A6C21-5D4E-4B7A-9C1F-2E6D8B0A7C54}, TSLN_PLAYER_CLSID_TEXT
inline constexpr CLSID kPlayerClsid = {
    0x3F8A6C21, 0x5D4E, 0x4B7A, {0x9C, 0x1F, 0x2E, 0x6D, 0x8B, 0x0A, 0x7C, 0x54}};
// {EAF02A28-8A98-441C-837F-96519DA2FFD1}
inline constexpr IID kIidMoviePlayer = {
    0xEAF02A28, 0x8A98, 0x441C, {0x83, 0x7F, 0x96, 0x51, 0x9D, 0xA2, 0xFF, 0xD1}};
// {EF7CF04D-2775-4AC1-974E-6F075A4DF44B}
inline constexpr IID kIidMovieEvents = {
    0xEF7CF04D, 0x2775, 0x4AC1, {0x97, 0x4E, 0x6F, 0x07, 0x5A, 0x4D, 0xF4, 0x4B}};

// The player window's class; the program's input filter recognises it by its "ATL:" prefix.
constexpr const char* kPlayerWindowClass = "ATL:TessalineMoviePlayer";
// The id of the window timer that runs while, and only while, the movie plays.
constexpr UINT_PTR kPlayTimerId = 1;

// A movie file refused by the player: MovieFailure(result) (FACILITY_ITF, 0x0200 + the result code).
constexpr HRESULT kMovieFailureBase = static_cast<HRESULT>(0x80040200L);
constexpr HRESULT MovieFailure(movie::Result result) {
    return kMovieFailureBase + static_cast<int>(result);
}
// The movie result behind an HRESULT, or kOk when it is none of the player's.
inline movie::Result MovieResultOf(HRESULT hr) {
    const long code = hr - kMovieFailureBase;
    return code > 0 && code < movie::kResultCount ? static_cast<movie::Result>(code) : movie::Result::kOk;
}

// What the movie tells its host.
struct ITslnMovieEvents : IUnknown {
    // A button was clicked: its command and argument.
    virtual HRESULT STDMETHODCALLTYPE FSCommand(const char* command, const char* args) = 0;
};

struct ITslnMoviePlayer : IUnknown {
    // Reads the whole movie file at once (it may be deleted right after). On success the movie stands
    // on frame 1, stopped, sound off, no action run yet; on failure the previous movie stays and the
    // result is MovieFailure(...) or the file error (HRESULT_FROM_WIN32).
    virtual HRESULT STDMETHODCALLTYPE SetMovie(const char* path) = 0;
    // The frame shown; 0 before any movie.
    virtual HRESULT STDMETHODCALLTYPE GetCurrentFrame(LONG* frame) = 0;
    // Shows `frame` and runs its actions; S_FALSE (nothing changes) when there is no such frame.
    virtual HRESULT STDMETHODCALLTYPE GotoFrame(LONG frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE Play() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    // Shows the player as a child window of `parent` at the given client rectangle (pixels), creating
    // or moving its window. The movie is scaled to fill it, keeping its aspect ratio and cropping.
    virtual HRESULT STDMETHODCALLTYPE Place(HWND parent, LONG left, LONG top, LONG width, LONG height) = 0;
    // The one event sink (a reference is held); nullptr removes it.
    virtual HRESULT STDMETHODCALLTYPE Advise(ITslnMovieEvents* sink) = 0;
    // The player window, or nullptr before Place.
    virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFrameCount(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPlaying(BOOL* playing) = 0;
    // The movie's sound state, set by its frames; button clicks sound only while it is on.
    virtual HRESULT STDMETHODCALLTYPE GetSoundOn(BOOL* on) = 0;
};

} // namespace tsln
