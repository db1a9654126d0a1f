// The movie player as the program uses it: created through COM from the registration of tslnplay.dll
// (the test prefix registers it), a movie built by tsmovie loaded into a real window, its frames stepped
// as the program steps them, real mouse messages clicking its buttons, and the server unloading when the
// last reference is gone.
#include "movie/player_interface.h"
#include "shellutil/movie_player.h"
#include "core/app_error.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <objbase.h>

#include <string>
#include <utility>
#include <vector>

using tsln::MoviePlayer;

namespace {

// The sample movie (tests/movie/sample/sample.txt): 320 x 200, menu at frame 6 with a "tab" "3" button (an
// ellipse at 30,60 70x70), the page at frame 10 with "ok" (60x22 at 230,130, goes to frame 6), a close
// button ("bar" "close", 290,4 26x16) and a move area ("bar" "move" on press, 0,0 280x24).
const char* const kSample = TSLN_MOVIE_SAMPLE;
constexpr int kScale = 2; // the player is placed at twice the stage's size

// A plain top-level window to hold the player.
class Host {
public:
    Host() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TslnMovieTestHost";
        RegisterClassA(&wc);
        hwnd_.reset(CreateWindowExA(0, wc.lpszClassName, "movie host", WS_POPUP | WS_VISIBLE, 0, 0, 640, 400,
                                    nullptr, nullptr, wc.hInstance, nullptr));
        REQUIRE(hwnd_);
    }
    HWND get() const { return hwnd_.get(); }

private:
    tsln::unique_hwnd hwnd_;
};

using Commands = std::vector<std::pair<std::string, std::string>>;

// Posts a real left click at a stage point to the player window, as the mouse would.
void Click(HWND player, int stageX, int stageY) {
    const LPARAM at = MAKELPARAM(stageX * kScale, stageY * kScale);
    PostMessageA(player, WM_MOUSEMOVE, 0, at);
    PostMessageA(player, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(player, WM_LBUTTONUP, 0, at);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

bool Received(const Commands& commands, size_t count) {
    return testing::PumpUntil([&] { return commands.size() >= count; });
}

HRESULT CanUnloadNow() {
    HMODULE module = GetModuleHandleA("tslnplay.dll");
    REQUIRE(module != nullptr);
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(module, "DllCanUnloadNow"));
    const bool exported = canUnload != nullptr;
    REQUIRE(exported);
    return canUnload();
}

std::string Copy(const testing::TempDir& dir, const char* name) {
    const std::string path = dir / name;
    REQUIRE(CopyFileA(kSample, path.c_str(), FALSE));
    return path;
}

int32_t FailureOf(MoviePlayer& player, const std::string& path, std::string& text) {
    try {
        player.SetMovie(path);
    } catch (const tsln::AppError& e) {
        text = e.description;
        return e.number;
    }
    return 0;
}

} // namespace

TEST_CASE("the player serves its class id, one interface, and unloads only when nothing holds it") {
    testing::ComScope com;
    wchar_t text[64] = {};
    MultiByteToWideChar(CP_ACP, 0, TSLN_PLAYER_CLSID_TEXT, -1, text, 64);
    CLSID fromText;
    REQUIRE(CLSIDFromString(text, &fromText) == S_OK);
    CHECK(IsEqualCLSID(fromText, tsln::kPlayerClsid));

    tsln::unique_com<IClassFactory> factory;
    REQUIRE(CoGetClassObject(tsln::kPlayerClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(factory.put())) == S_OK);
    CHECK(CanUnloadNow() == S_FALSE); // the factory counts
    HMODULE module = GetModuleHandleA("tslnplay.dll");
    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        GetProcAddress(module, "DllGetClassObject"));
    void* other = reinterpret_cast<void*>(1);
    CHECK(getClass(IID_IClassFactory, IID_IClassFactory, &other) == CLASS_E_CLASSNOTAVAILABLE);
    CHECK(other == nullptr);

    tsln::unique_com<IUnknown> object;
    CHECK(factory->CreateInstance(factory.get(), IID_IUnknown, reinterpret_cast<void**>(object.put())) ==
          CLASS_E_NOAGGREGATION);
    REQUIRE(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object.put())) == S_OK);
    HRESULT answer = S_OK;
    CHECK_FALSE(object.Query<IDispatch>(IID_IDispatch, &answer));
    CHECK(answer == E_NOINTERFACE);
    tsln::unique_com<tsln::ITslnMoviePlayer> player =
        object.Query<tsln::ITslnMoviePlayer>(tsln::kIidMoviePlayer);
    REQUIRE(player);

    factory->LockServer(TRUE);
    factory.reset();
    object.reset();
    // A second reference, taken explicitly, keeps the object (and so the server) alive on its own.
    tsln::unique_com<tsln::ITslnMoviePlayer> second = player.Copy();
    player.reset();
    REQUIRE(second);
    LONG frame = 0;
    CHECK(second->GetCurrentFrame(&frame) == S_OK);
    second.reset();
    CHECK(CanUnloadNow() == S_FALSE); // locked
    {
        tsln::unique_com<IClassFactory> again;
        REQUIRE(CoGetClassObject(tsln::kPlayerClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                 reinterpret_cast<void**>(again.put())) == S_OK);
        again->LockServer(FALSE);
    }
    CHECK(CanUnloadNow() == S_OK);

    // COM unloads it now, and a later player loads it (and registers its window class) afresh.
    CoFreeUnusedLibrariesEx(0, 0);
    CHECK(GetModuleHandleA("tslnplay.dll") == nullptr);
    Host host;
    {
        MoviePlayer reloaded;
        reloaded.Place(host.get(), 0, 0, 640, 400);
        CHECK(reloaded.PlayerWindow() != nullptr);
        CHECK(CanUnloadNow() == S_FALSE);
    }
    CHECK(CanUnloadNow() == S_OK);
}

TEST_CASE("a movie plays and steps as the program moves it, and its buttons send their commands") {
    testing::ComScope com;
    testing::TempDir dir("movie");
    Host host;
    MoviePlayer player;
    Commands commands;
    player.FSCommand = [&](const std::string& command, const std::string& args) {
        commands.emplace_back(command, args);
        if (command == "tab") player.GotoFrame(player.CurrentFrame() + 4); // as the main window does
    };
    CHECK(player.CurrentFrame() < 1);
    CHECK(player.PlayerWindow() == nullptr);

    // The file may go right after it was given to the player.
    const std::string path = Copy(dir, "skin.swf");
    player.SetMovie(path);
    REQUIRE(DeleteFileA(path.c_str()));
    player.Place(host.get(), 0, 0, 640, 400);
    HWND window = player.PlayerWindow();
    REQUIRE(window != nullptr);
    char className[256] = {};
    GetClassNameA(window, className, sizeof className);
    CHECK(std::string(className).rfind("ATL:", 0) == 0);
    CHECK(GetParent(window) == host.get());
    RECT client;
    GetClientRect(window, &client);
    CHECK(client.right == 640);
    CHECK(client.bottom == 400);

    // Started as the skin manager starts a movie: sound on, then play until the menu stops it.
    CHECK(player.GotoFrame(1));
    CHECK(player.SoundOn());
    player.Play();
    REQUIRE(testing::PumpUntil([&] { return player.CurrentFrame() == 6; }));
    CHECK_FALSE(KillTimer(window, tsln::kPlayTimerId)); // stopped: no timer is running

    // The menu's page button: the program opens the page at +4.
    Click(window, 65, 95);
    REQUIRE(Received(commands, 1));
    CHECK(commands[0] == std::make_pair(std::string("tab"), std::string("3")));
    CHECK(player.CurrentFrame() == 10);

    // The sound switch visits +53 (on) or +52 (off) and comes back.
    CHECK(player.GotoFrame(player.CurrentFrame() + 52));
    CHECK_FALSE(player.SoundOn());
    CHECK(player.GotoFrame(player.CurrentFrame() - 52));
    CHECK(player.GotoFrame(player.CurrentFrame() + 53));
    CHECK(player.SoundOn());
    CHECK(player.GotoFrame(player.CurrentFrame() - 53));
    CHECK(player.CurrentFrame() == 10);
    CHECK_FALSE(player.GotoFrame(100)); // no such frame: nothing changes
    CHECK(player.CurrentFrame() == 10);

    // OK goes back to the menu itself and sends its command.
    Click(window, 260, 141);
    REQUIRE(Received(commands, 2));
    CHECK(commands[1] == std::make_pair(std::string("ok"), std::string()));
    CHECK(player.CurrentFrame() == 6);

    // Outside the page button's ellipse (its box's corner) nothing is sent; the close button sends.
    Click(window, 33, 63);
    Click(window, 300, 12);
    REQUIRE(Received(commands, 3));
    CHECK(commands[2] == std::make_pair(std::string("bar"), std::string("close")));

    // The move area fires on the press, before the button is released.
    const LPARAM title = MAKELPARAM(100 * kScale, 10 * kScale);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, title);
    REQUIRE(Received(commands, 4));
    CHECK(commands[3] == std::make_pair(std::string("bar"), std::string("move")));
    PostMessageA(window, WM_LBUTTONUP, 0, title);
    Pump();
    CHECK(commands.size() == 4);
}

TEST_CASE("a refused movie says why, and the movie shown before stays") {
    testing::ComScope com;
    testing::TempDir dir("movie");
    MoviePlayer player;
    player.SetMovie(Copy(dir, "good.swf"));
    CHECK(player.GotoFrame(6));

    const std::string sample = testing::ReadFileBytes(kSample);
    struct Case {
        const char* name;
        std::string bytes;
        tsln::movie::Result result;
    };
    const Case cases[] = {
        {"flash.swf", std::string("FWS\x08\x40\x02\x00\x00", 8) + std::string(500, '\0'),
         tsln::movie::Result::kFlashMovie},
        {"compressed.swf", "CWS\x0A" + std::string(64, 'x'), tsln::movie::Result::kFlashMovie},
        {"half.swf", sample.substr(0, sample.size() / 2), tsln::movie::Result::kTruncated},
        {"garbage.swf", std::string(3000, '\xA5'), tsln::movie::Result::kNotAMovie},
        {"empty.swf", "", tsln::movie::Result::kNotAMovie},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const std::string path = dir / c.name;
        REQUIRE(testing::WriteFileBytes(path, c.bytes));
        std::string text;
        CHECK(FailureOf(player, path, text) == tsln::MovieFailure(c.result));
        CHECK(text == tsln::movie::ResultText(c.result));
        CHECK(player.CurrentFrame() == 6);
    }
    std::string text;
    CHECK(FailureOf(player, dir / "missing.swf", text) ==
          static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
    CHECK_FALSE(text.empty());
    CHECK(player.CurrentFrame() == 6);
}
