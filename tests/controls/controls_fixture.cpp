#include "tests/controls/controls_fixture.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "ui/controls/bitmap.h"

#include <doctest.h>

namespace controls_test {

namespace {
const UINT kSettle = WM_APP + 1;
}

Host::Host() {
    REQUIRE(Create(GetModuleHandleA(nullptr), "TslnControlsTestHost", "Controls", WS_OVERLAPPEDWINDOW, 0, 0,
                   0, 640, 480, nullptr));
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd());
}

void Host::Settle() {
    settled_ = false;
    PostMessageA(hwnd(), kSettle, 0, 0);
    REQUIRE(testing::PumpUntil([this] { return settled_; }));
}

LRESULT Host::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSettle) {
        settled_ = true;
        return 0;
    }
    return Default(message, wParam, lParam);
}

Snapshot::Snapshot(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
    const BITMAPINFO info = tsln::TopDown32(width_, height_);
    void* bits = nullptr;
    tsln::unique_gdi dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    tsln::unique_hdc dc(CreateCompatibleDC(nullptr));
    REQUIRE(dib);
    REQUIRE(dc);
    HGDIOBJ old = SelectObject(dc.get(), dib.get());
    REQUIRE(PrintWindow(hwnd, dc.get(), 0));
    GdiFlush();
    const DWORD* from = static_cast<const DWORD*>(bits);
    pixels_.assign(from, from + width_ * height_);
    SelectObject(dc.get(), old);
}

COLORREF Snapshot::At(int x, int y) const {
    const DWORD p = pixels_.at(static_cast<size_t>(y * width_ + x));
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Snapshot::NearerTo(COLORREF a, COLORREF b, const RECT& area) const {
    auto distance = [](COLORREF p, COLORREF q) {
        const int r = GetRValue(p) - GetRValue(q), g = GetGValue(p) - GetGValue(q),
                  b = GetBValue(p) - GetBValue(q);
        return r * r + g * g + b * b;
    };
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (distance(At(x, y), a) < distance(At(x, y), b)) ++count;
    return count;
}

LogFolder::LogFolder() : old_(tsln::AppFolder()) {
    tsln::SetAppFolder(folder_.Path() + "\\");
}

LogFolder::~LogFolder() {
    tsln::SetAppFolder(old_);
}

std::string LogFolder::Log() const {
    return testing::ReadFileBytes(tsln::LogFilePath());
}

} // namespace controls_test
