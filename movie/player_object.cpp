#include "movie/player_object.h"
#include "core/unique_any.h"
#include "movie/com_object.h"
#include "movie/movie_render.h"
#include "movie/movie_timeline.h"
#include "movie/player_interface.h"
#include "movie/player_module.h"

#include <windowsx.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace tsln::player {
namespace {

using movie::ButtonStates;

// Every COM method runs its body here: nothing escapes to the caller but an HRESULT.
template <typename F>
HRESULT Guarded(F body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT LastError() {
    const DWORD code = GetLastError();
    return code != 0 ? HRESULT_FROM_WIN32(code) : E_FAIL;
}

// The whole file, read at once; the file is closed again before this returns.
HRESULT ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    unique_file file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    DWORD high = 0;
    const DWORD size = GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return LastError();
    // Refused before anything is allocated.
    if (high != 0 || size > movie::kMaxFileBytes) return MovieFailure(movie::Result::kTooLarge);
    bytes.resize(size);
    DWORD done = 0;
    while (done < size) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, size - done, &read, nullptr)) return LastError();
        if (read == 0) return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF); // the file shrank meanwhile
        done += read;
    }
    return S_OK;
}

class PlayerObject final : public ComObject<ITslnMoviePlayer, kIidMoviePlayer> {
public:
    HRESULT STDMETHODCALLTYPE SetMovie(const char* path) override;
    HRESULT STDMETHODCALLTYPE GetCurrentFrame(LONG* frame) override;
    HRESULT STDMETHODCALLTYPE GotoFrame(LONG frame) override;
    HRESULT STDMETHODCALLTYPE Play() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Place(HWND parent, LONG left, LONG top, LONG width, LONG height) override;
    HRESULT STDMETHODCALLTYPE Advise(ITslnMovieEvents* sink) override;
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE GetFrameCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetPlaying(BOOL* playing) override;
    HRESULT STDMETHODCALLTYPE GetSoundOn(BOOL* on) override;

private:
    ~PlayerObject() override;

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreatePlayerWindow(HWND parent, LONG left, LONG top, LONG width, LONG height);
    void Paint();
    void Mouse(UINT message, LPARAM lParam);
    void Fire(int button);
    // After the playhead or the buttons may have moved: repaint what changed, run or end the timer.
    void Changed();
    void SyncTimer();
    void StopSound();

    ServerLock lock_;
    std::unique_ptr<movie::Movie> movie_;
    movie::Timeline timeline_;
    ButtonStates buttons_;
    movie::Renderer renderer_;
    unique_com<ITslnMovieEvents> sink_;
    HWND hwnd_ = nullptr; // destroyed with the object, unless its parent took it along first
    unique_gdi backBuffer_;
    SIZE bufferSize_ = {};
    bool dirty_ = true;
    const movie::FrameRecord* shownRecord_ = nullptr;
    long shownKey_ = 0;
    bool timerRunning_ = false;
    bool trackingLeave_ = false;
    bool soundStarted_ = false;
};

PlayerObject::~PlayerObject() {
    if (hwnd_) {
        // Detached first, so that the messages of its destruction no longer reach this object.
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    StopSound();
    // Fails while another player still has a window; the last one unregisters the class, so that no
    // class outlives the module's code.
    UnregisterClassA(kPlayerWindowClass, Module());
}

HRESULT PlayerObject::SetMovie(const char* path) {
    return Guarded([&] {
        if (!path) return E_POINTER;
        std::vector<uint8_t> bytes;
        HRESULT hr = ReadWholeFile(path, bytes);
        if (FAILED(hr)) return hr;
        auto fresh = std::make_unique<movie::Movie>();
        const movie::Result result = movie::Parse(bytes.data(), bytes.size(), *fresh);
        if (result != movie::Result::kOk) return MovieFailure(result);
        StopSound(); // its sound lives in the old movie
        movie_ = std::move(fresh);
        renderer_.SetMovie(movie_.get());
        timeline_.SetMovie(movie_.get());
        buttons_.Refresh(movie_.get(), timeline_.CurrentFrame());
        dirty_ = true;
        shownRecord_ = nullptr;
        Changed();
        return S_OK;
    });
}

HRESULT PlayerObject::GetCurrentFrame(LONG* frame) {
    if (!frame) return E_POINTER;
    *frame = timeline_.CurrentFrame();
    return S_OK;
}

HRESULT PlayerObject::GotoFrame(LONG frame) {
    return Guarded([&] {
        if (frame < 1 || frame > movie::kMaxFrames || !timeline_.GotoFrame(static_cast<int>(frame)))
            return S_FALSE;
        Changed();
        return S_OK;
    });
}

HRESULT PlayerObject::Play() {
    return Guarded([&] {
        timeline_.Play();
        Changed();
        return S_OK;
    });
}

HRESULT PlayerObject::Stop() {
    return Guarded([&] {
        timeline_.Stop();
        SyncTimer();
        return S_OK;
    });
}

HRESULT PlayerObject::Place(HWND parent, LONG left, LONG top, LONG width, LONG height) {
    return Guarded([&] {
        if (!IsWindow(parent) || width < 0 || height < 0) return E_INVALIDARG;
        if (!hwnd_) {
            if (!CreatePlayerWindow(parent, left, top, width, height)) return LastError();
        } else {
            if (GetParent(hwnd_) != parent && !SetParent(hwnd_, parent)) return LastError();
            MoveWindow(hwnd_, left, top, width, height, TRUE);
        }
        dirty_ = true;
        InvalidateRect(hwnd_, nullptr, FALSE);
        SyncTimer();
        return S_OK;
    });
}

HRESULT PlayerObject::Advise(ITslnMovieEvents* sink) {
    sink_ = unique_com<ITslnMovieEvents>::Share(sink);
    return S_OK;
}

HRESULT PlayerObject::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = hwnd_;
    return S_OK;
}

HRESULT PlayerObject::GetFrameCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = movie_ ? movie_->frameCount : 0;
    return S_OK;
}

HRESULT PlayerObject::GetPlaying(BOOL* playing) {
    if (!playing) return E_POINTER;
    *playing = timeline_.Playing();
    return S_OK;
}

HRESULT PlayerObject::GetSoundOn(BOOL* on) {
    if (!on) return E_POINTER;
    *on = timeline_.SoundOn();
    return S_OK;
}

bool PlayerObject::CreatePlayerWindow(HWND parent, LONG left, LONG top, LONG width, LONG height) {
    WNDCLASSEXA wc = {sizeof wc};
    if (!GetClassInfoExA(Module(), kPlayerWindowClass, &wc)) {
        wc = {sizeof wc};
        wc.lpfnWndProc = &PlayerObject::WndProc;
        wc.hInstance = Module();
        wc.lpszClassName = kPlayerWindowClass;
        // No background brush: every pixel is painted from the back buffer, so nothing flickers.
        if (!RegisterClassExA(&wc)) return false;
    }
    return CreateWindowExA(0, kPlayerWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left, top,
                           width, height, parent, nullptr, Module(), this) != nullptr;
}

LRESULT CALLBACK PlayerObject::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<PlayerObject*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<PlayerObject*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    // A host may release the player from inside an event; the object stays until this message is done.
    self->AddRef();
    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        result = DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->timerRunning_ = false;
        self->trackingLeave_ = false;
        self->backBuffer_.reset();
    }
    self->Release();
    return result;
}

LRESULT PlayerObject::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(hwnd_, &client);
        renderer_.Draw(reinterpret_cast<HDC>(wParam), client.right, client.bottom, timeline_.CurrentFrame(),
                       buttons_);
        return 0;
    }
    case WM_SIZE:
        dirty_ = true;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_TIMER:
        if (wParam != kPlayTimerId) break;
        timeline_.Tick();
        Changed();
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        Mouse(message, lParam);
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        buttons_.Leave();
        Changed();
        return 0;
    case WM_CAPTURECHANGED:
        buttons_.CancelPress();
        Changed();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT) break;
        SetCursor(LoadCursor(nullptr, buttons_.Hover() != ButtonStates::kNone ? IDC_HAND : IDC_ARROW));
        return TRUE;
    default:
        break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void PlayerObject::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const SIZE size = {client.right, client.bottom};
    if (!backBuffer_ || size.cx != bufferSize_.cx || size.cy != bufferSize_.cy) {
        backBuffer_.reset(CreateCompatibleBitmap(dc, std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1)));
        bufferSize_ = size;
        dirty_ = true;
    }
    unique_hdc memory(CreateCompatibleDC(dc));
    if (backBuffer_ && memory) {
        const unique_select buffer(memory.get(), backBuffer_.get());
        if (dirty_) renderer_.Draw(memory.get(), size.cx, size.cy, timeline_.CurrentFrame(), buttons_);
        dirty_ = false;
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memory.get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
}

void PlayerObject::Mouse(UINT message, LPARAM lParam) {
    if (!movie_) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const movie::View view =
        movie::View::NoBorder(movie_->width, movie_->height, client.right, client.bottom);
    const double x = view.StageX(GET_X_LPARAM(lParam)), y = view.StageY(GET_Y_LPARAM(lParam));
    const int frame = timeline_.CurrentFrame();
    int fired = ButtonStates::kNone;
    switch (message) {
    case WM_MOUSEMOVE:
        buttons_.Move(*movie_, frame, x, y);
        if (!trackingLeave_) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd_, 0};
            trackingLeave_ = TrackMouseEvent(&track) != FALSE;
        }
        break;
    case WM_LBUTTONDOWN:
        fired = buttons_.Down(*movie_, frame, x, y);
        if (buttons_.Pressed() != ButtonStates::kNone) SetCapture(hwnd_);
        break;
    case WM_LBUTTONUP:
        fired = buttons_.Up(*movie_, frame, x, y);
        if (GetCapture() == hwnd_) ReleaseCapture();
        break;
    default:
        break;
    }
    Changed();
    if (fired != ButtonStates::kNone) Fire(fired);
}

void PlayerObject::Fire(int index) {
    // Copies: the host may replace the movie or release the player while it handles the command.
    const movie::Button button = movie_->buttons[index];
    if (button.sound != 0 && timeline_.SoundOn()) {
        const std::vector<uint8_t>& wav = movie_->sounds[button.sound - 1].wav;
        soundStarted_ = PlaySoundA(reinterpret_cast<LPCSTR>(wav.data()), nullptr,
                                   SND_MEMORY | SND_ASYNC | SND_NODEFAULT) != FALSE;
    }
    if (button.gotoFrame != 0 && timeline_.GotoFrame(button.gotoFrame)) Changed();
    if (!sink_ || button.command.empty()) return;
    // Held for the call: the host may remove its sink while handling the command.
    const unique_com<ITslnMovieEvents> sink = sink_.Copy();
    sink->FSCommand(button.command.c_str(), button.argument.c_str());
}

void PlayerObject::Changed() {
    buttons_.Refresh(movie_.get(), timeline_.CurrentFrame());
    const movie::FrameRecord* record = movie_ ? &movie_->Frame(timeline_.CurrentFrame()) : nullptr;
    // Frames of one record look alike: only a change of record or of a button's look is repainted.
    if (record != shownRecord_ || buttons_.Key() != shownKey_) {
        shownRecord_ = record;
        shownKey_ = buttons_.Key();
        dirty_ = true;
        if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
    }
    SyncTimer();
}

void PlayerObject::SyncTimer() {
    const bool wanted = hwnd_ != nullptr && timeline_.Playing();
    if (wanted && !timerRunning_) {
        timerRunning_ = SetTimer(hwnd_, kPlayTimerId, 1000u / movie_->frameRate, nullptr) != 0;
    } else if (!wanted && timerRunning_) {
        if (hwnd_) KillTimer(hwnd_, kPlayTimerId);
        timerRunning_ = false;
    }
}

void PlayerObject::StopSound() {
    if (!soundStarted_) return;
    PlaySoundA(nullptr, nullptr, 0);
    soundStarted_ = false;
}

} // namespace

HRESULT CreatePlayer(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return Guarded([&] {
        unique_com<ITslnMoviePlayer> player(new PlayerObject());
        return player->QueryInterface(riid, object);
    });
}

} // namespace tsln::player
