// tspagesshot WORK_FOLDER EXE [PAGES]: starts the installed program as the user does, and opens each page
// of its main window in turn (or only the pages PAGES lists, digits such as "3") by real clicks on the
// movie's "tab" buttons, for tools/screenshots/pages.sh. The
// buttons' places come from the movie of the skin the program shows (the stored one, else the first
// package listed, as the program takes it). For page N, once the page is up and the window has stopped
// changing, it writes "left top width height" of the main window to WORK_FOLDER\N.ready and waits for
// WORK_FOLDER\N.done before it clicks "ok". At the end it ends the program. Exits 1 on any failure.
#include "core/mod_main.h"
#include "core/unique_any.h"
#include "movie/movie_file.h"
#include "movie/movie_stage.h"
#include "skins/clsSkins.h"
#include "tools/screenshots/shot_ready.h"
#include "ui/controls/bitmap.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tsln;

namespace {

constexpr int kPages = 6;

[[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::string ReadBytes(const std::string& path) {
    unique_file file(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) Fail("cannot read " + path);
    std::string bytes(GetFileSize(file.get(), nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

// The movie of the skin the program shows, unpacked from its package by the skin manager's own rules.
movie::Movie ShownMovie(const std::string& programFolder, const std::string& work) {
    SetAppFolder(AddBackslash(work)); // the manager unpacks here, not into the user's data folder
    SkinsSetup setup{AddBackslash(programFolder) + "SKINS\\", AddBackslash(programFolder) + "tsln.dll",
                     [] { ExitProcess(1); }, false};
    clsSkins skins(setup);
    std::string name = skins.Skin();
    std::replace(name.begin(), name.end(), ' ', '_');
    if (!skins.Extract(name, name + ".swf")) Fail("cannot unpack the movie of " + name);
    const std::string path = AddBackslash(work) + name + ".swf";
    const std::string bytes = ReadBytes(path);
    DeleteFileA(path.c_str());
    movie::Movie shown;
    if (movie::Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), shown) !=
        movie::Result::kOk)
        Fail("the movie of " + name + " does not read");
    std::printf("skin %s\n", name.c_str());
    return shown;
}

struct Program {
    DWORD id = 0;
    HWND main = nullptr;
    HWND player = nullptr;
};

BOOL CALLBACK FindMainOf(HWND window, LPARAM param) {
    auto* program = reinterpret_cast<Program*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner != program->id || std::string(name) != "TessalineMain" || !IsWindowVisible(window)) return TRUE;
    program->main = window;
    return FALSE;
}

HWND PlayerOf(HWND main) {
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (std::string(name).rfind("ATL:", 0) == 0) return child;
    }
    return nullptr;
}

int ShownPages(HWND main) {
    int shown = 0;
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (std::string(name) == "TessalinePictureBox" && IsWindowVisible(child)) ++shown;
    }
    return shown;
}

bool FadedIn(HWND main) {
    BYTE alpha = 0;
    DWORD flags = 0;
    return IsWindowEnabled(main) && (!GetLayeredWindowAttributes(main, nullptr, &alpha, &flags) ||
                                     !(flags & LWA_ALPHA) || alpha == 230);
}

void SendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// A real click at the centre of the hit area of the movie's button sending (command, argument); the
// pointer then leaves the window, so that no button shows its hover look.
void ClickButton(const movie::Movie& shown, HWND player, const std::string& command,
                 const std::string& argument = {}) {
    for (const movie::Button& button : shown.buttons) {
        if (button.command != command || button.argument != argument) continue;
        const movie::Box& hit = shown.items.at(button.hit).box;
        RECT inside = {};
        GetClientRect(player, &inside);
        const auto view = movie::View::NoBorder(shown.width, shown.height, inside.right, inside.bottom);
        POINT at = {view.X(hit.x + hit.width / 2.0), view.Y(hit.y + hit.height / 2.0)};
        ClientToScreen(player, &at);
        SetCursorPos(at.x, at.y);
        SendMouse(MOUSEEVENTF_MOVE);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
        Sleep(100); // the release is taken before the pointer goes
        SetCursorPos(0, 0);
        SendMouse(MOUSEEVENTF_MOVE);
        return;
    }
    Fail("the movie has no button sending " + command + " " + argument);
}

// A digest of what the screen shows of the window.
unsigned long long Look(HWND main) {
    RECT rect = {};
    GetWindowRect(main, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    unique_gdi bitmap(CreateCompatibleBitmap(screen, width, height));
    {
        unique_hdc memory(CreateCompatibleDC(screen));
        HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        SelectObject(memory.get(), previous); // its pixels are read only once no DC holds it
    }
    ReleaseDC(nullptr, screen);
    unsigned long long digest = 1469598103934665603ull;
    for (uint32_t pixel : BitmapPixels(static_cast<HBITMAP>(bitmap.get())))
        digest = (digest ^ pixel) * 1099511628211ull;
    return digest;
}

// The window has come to rest once it looks the same for half a second.
bool AtRest(HWND main) {
    unsigned long long last = Look(main);
    int same = 0;
    return WaitFor([&] {
        const unsigned long long now = Look(main);
        same = now == last ? same + 1 : 0;
        last = now;
        return same >= 10;
    });
}

int Run(const std::string& work, const std::string& exe, const std::string& pages) {
    const std::string folder = exe.substr(0, exe.find_last_of('\\'));
    const movie::Movie shown = ShownMovie(folder, work);

    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &started))
        Fail("cannot start " + exe);
    unique_handle process(started.hProcess);
    CloseHandle(started.hThread);
    auto end = make_scope_exit([&] { TerminateProcess(process.get(), 0); });

    Program program;
    program.id = started.dwProcessId;
    if (!WaitFor([&] { return !EnumWindows(&FindMainOf, reinterpret_cast<LPARAM>(&program)); }, 60000))
        Fail("the main window did not show");
    if (!WaitFor(
            [&] { return FadedIn(program.main) && (program.player = PlayerOf(program.main)) != nullptr; }))
        Fail("the main window did not fade in");
    if (!AtRest(program.main)) Fail("the movie did not come to rest");

    for (int page = 0; page < kPages; ++page) {
        const std::string number = std::to_string(page);
        if (!pages.empty() && pages.find(number) == std::string::npos) continue;
        // A click the movie did not take (it may still be settling after the start) is given again.
        bool opened = false;
        for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
            ClickButton(shown, program.player, "tab", number);
            opened = WaitFor([&] { return ShownPages(program.main) == 1 && IsWindowEnabled(program.main); },
                             10000);
        }
        if (!opened) Fail("page " + number + " did not open");
        if (!AtRest(program.main)) Fail("page " + number + " did not come to rest");
        const std::string done = AddBackslash(work) + number + ".done";
        WriteReady(AddBackslash(work) + number + ".ready", program.main);
        if (!WaitFor([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000))
            Fail("no screenshot of page " + number);
        ClickButton(shown, program.player, "ok");
        if (!WaitFor([&] { return ShownPages(program.main) == 0; }))
            Fail("page " + number + " did not close");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: tspagesshot WORK_FOLDER EXE [PAGES]\n");
        return 2;
    }
    try {
        return Run(argv[1], argv[2], argc == 4 ? argv[3] : "");
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tspagesshot: %s\n", failure.what());
        return 1;
    }
}
