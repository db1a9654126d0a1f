#include "shellutil/movie_player.h"
#include "core/app_error.h"
#include "movie/com_object.h"
#include "movie/player_interface.h"

namespace tsln {

namespace {

// Failures of the player as the program's one failure type: a refused movie says why in words.
void Check(HRESULT hr, int line) {
    if (SUCCEEDED(hr)) return;
    const movie::Result result = MovieResultOf(hr);
    const std::string text =
        result != movie::Result::kOk ? movie::ResultText(result) : SystemErrorText(static_cast<DWORD>(hr));
    throw AppError(static_cast<int32_t>(hr), text, {}, line);
}

} // namespace

// Receives the player's events for the wrapper; the wrapper detaches it before it goes.
class MoviePlayer::Sink final : public ComObject<ITslnMovieEvents, kIidMovieEvents> {
public:
    explicit Sink(MoviePlayer* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE FSCommand(const char* command, const char* args) override {
        try {
            if (owner_ && owner_->FSCommand) owner_->FSCommand(command ? command : "", args ? args : "");
        } catch (...) {
            // The handler reports its own failures; this only keeps anything from crossing COM.
            HandleFailure("Tessaline.MoviePlayer.FSCommand", kSilent);
        }
        return S_OK;
    }

private:
    ~Sink() override = default;
    MoviePlayer* owner_;
};

MoviePlayer::MoviePlayer() {
    Check(CoCreateInstance(kPlayerClsid, nullptr, CLSCTX_INPROC_SERVER, kIidMoviePlayer,
                           reinterpret_cast<void**>(player_.put())),
          __LINE__);
    sink_.reset(new Sink(this));
    Check(player_->Advise(sink_.get()), __LINE__);
}

MoviePlayer::~MoviePlayer() {
    if (sink_) sink_->Detach();
    if (player_) player_->Advise(nullptr);
}

void MoviePlayer::SetMovie(const std::string& path) {
    Check(player_->SetMovie(path.c_str()), __LINE__);
}

long MoviePlayer::CurrentFrame() const {
    LONG frame = 0;
    Check(player_->GetCurrentFrame(&frame), __LINE__);
    return frame;
}

bool MoviePlayer::GotoFrame(long frame) {
    const HRESULT hr = player_->GotoFrame(frame);
    Check(hr, __LINE__);
    return hr == S_OK;
}

void MoviePlayer::Play() {
    Check(player_->Play(), __LINE__);
}

void MoviePlayer::Stop() {
    Check(player_->Stop(), __LINE__);
}

void MoviePlayer::Place(HWND parent, int left, int top, int width, int height) {
    Check(player_->Place(parent, left, top, width, height), __LINE__);
}

HWND MoviePlayer::PlayerWindow() const {
    HWND window = nullptr;
    Check(player_->GetWindow(&window), __LINE__);
    return window;
}

bool MoviePlayer::SoundOn() const {
    BOOL on = FALSE;
    Check(player_->GetSoundOn(&on), __LINE__);
    return on != FALSE;
}

} // namespace tsln
