#include "ui/main/page_transparency.h"
#include "effects/clsTranspEffects.h"
#include "effects/shell_transparency.h"
#include "skins/skin_values.h"
#include "ui/controls/bitmap.h"
#include "ui/main/frm_main.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tsln {

namespace {
// A panel as the translucency preview draws on it.
class PanelSurface : public PictureSurface {
public:
    explicit PanelSurface(PictureBox& panel) : panel_(panel) {}
    HDC hDC() override { return panel_.SurfaceDC(); }
    double ScaleWidth() override { return panel_.ScaleWidth(); }
    double ScaleHeight() override { return panel_.ScaleHeight(); }
    void Cls() override { panel_.Clear(); }
    void Refresh() override { panel_.Refresh(); }

private:
    PictureBox& panel_;
};

// The percentage label: white on a dark badge drawn into the backdrop behind it.
constexpr Color kBadgeColor = 0x502814; // 0x00BBGGRR
constexpr Color kBadgeText = 0xFFFFFF;

// Pixels as BitmapPixels lays them out (0x00RRGGBB, rows top-down), with a few shapes to draw.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * height) {}

    static uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }
    static uint32_t Mix(uint32_t from, uint32_t to, double t) {
        auto channel = [&](int shift) {
            const double a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
            return uint32_t(std::lround(a + (b - a) * t)) << shift;
        };
        return channel(16) | channel(8) | channel(0);
    }

    void Put(int x, int y, uint32_t color) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * width_ + x] = color;
    }
    void Fill(int left, int top, int right, int bottom, uint32_t color) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                Put(x, y, color);
    }
    // A rectangle shaded from `top` to `bottom` colour.
    void Shade(int left, int top, int right, int bottom, uint32_t from, uint32_t to) {
        for (int y = top; y < bottom; ++y)
            Fill(left, y, right, y + 1,
                 Mix(from, to, bottom - top > 1 ? double(y - top) / (bottom - top - 1) : 0));
    }
    void Disc(int cx, int cy, int radius, uint32_t color) {
        for (int y = cy - radius; y <= cy + radius; ++y)
            for (int x = cx - radius; x <= cx + radius; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) Put(x, y, color);
    }
    void Frame(int left, int top, int right, int bottom, uint32_t color) {
        Fill(left, top, right, top + 1, color);
        Fill(left, bottom - 1, right, bottom, color);
        Fill(left, top, left + 1, bottom, color);
        Fill(right - 1, top, right, bottom, color);
    }
    unique_gdi Bitmap() const { return BitmapOfPixels(pixels_, width_, height_); }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
    std::vector<uint32_t> pixels_;
};

// A desktop: sky, hills, a sun, icons and a window, with plenty of each under the strip at the top, so
// that every level of translucency shows as more or less of them.
unique_gdi DrawDesktop(int width, int height, const RECT& badge) {
    Canvas c(width, height);
    const int horizon = height * 62 / 100;
    c.Shade(0, 0, width, height, Canvas::Rgb(20, 60, 140), Canvas::Rgb(150, 200, 240));
    for (int x = 0; x < width; ++x) {
        const int hill = horizon - int(8 * std::sin(x / 45.0) + 4 * std::sin(x / 17.0 + 1));
        for (int y = hill; y < height; ++y)
            c.Put(x, y,
                  Canvas::Mix(Canvas::Rgb(90, 170, 70), Canvas::Rgb(35, 95, 35),
                              double(y - hill) / std::max(1, height - hill)));
    }
    c.Disc(width * 80 / 100, 22, 18, Canvas::Rgb(255, 214, 80));
    // Icons down the left edge, the first under the strip.
    const uint32_t icons[] = {Canvas::Rgb(250, 200, 60), Canvas::Rgb(220, 70, 60), Canvas::Rgb(90, 200, 240)};
    for (int i = 0; i < 3; ++i) {
        const int top = 6 + i * 34;
        c.Fill(10, top, 34, top + 24, icons[i]);
        c.Frame(10, top, 34, top + 24, Canvas::Rgb(255, 255, 255));
    }
    // A window reaching up under the strip.
    const int left = width * 30 / 100, right = width * 62 / 100, top = 10, bottom = horizon + 14;
    c.Fill(left, top, right, bottom, Canvas::Rgb(245, 245, 240));
    c.Shade(left, top, right, top + 14, Canvas::Rgb(60, 120, 230), Canvas::Rgb(30, 80, 200));
    for (int line = top + 22; line + 3 < bottom - 4; line += 8)
        c.Fill(left + 8, line, right - 8 - (line * 7) % 40, line + 3, Canvas::Rgb(150, 150, 160));
    c.Frame(left, top, right, bottom, Canvas::Rgb(20, 50, 150));
    // The badge behind the percentage.
    const uint32_t badgeColor = Canvas::Rgb(kBadgeColor & 0xFF, (kBadgeColor >> 8) & 0xFF, kBadgeColor >> 16);
    c.Fill(badge.left - 4, badge.top - 3, badge.right + 4, badge.bottom + 3, badgeColor);
    c.Frame(badge.left - 4, badge.top - 3, badge.right + 4, badge.bottom + 3, Canvas::Rgb(150, 180, 230));
    return c.Bitmap();
}

// A taskbar: a blue bar with a green button at its start, two program buttons and the tray at its end.
unique_gdi DrawTaskbar(int width, int height) {
    Canvas c(width, height);
    c.Shade(0, 0, width, height, Canvas::Rgb(50, 100, 215), Canvas::Rgb(20, 55, 150));
    c.Fill(0, 0, width, 1, Canvas::Rgb(130, 175, 255));
    c.Shade(0, 1, 58, height, Canvas::Rgb(70, 175, 75), Canvas::Rgb(35, 120, 40));
    for (int i = 0; i < 2; ++i) {
        const int left = 66 + i * 92;
        c.Shade(left, 4, left + 86, height - 3, Canvas::Rgb(90, 145, 240), Canvas::Rgb(55, 105, 215));
        c.Fill(left + 6, height / 2 - 5, left + 16, height / 2 + 5, Canvas::Rgb(250, 200, 60));
    }
    c.Shade(width - 86, 1, width, height, Canvas::Rgb(20, 140, 230), Canvas::Rgb(10, 90, 190));
    c.Fill(width - 86, 1, width - 85, height, Canvas::Rgb(10, 60, 140));
    return c.Bitmap();
}
} // namespace

TranspPage::TranspPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    PictureBox& surface = picPreviewTransp_.Add(0, tab, Bounds{240, 240, 6255, 1860});
    PictureBox& source = picPreviewTransp_.Add(1, surface.hwnd(), Bounds{0, 0, 6255, 450});
    source.SetVisible(false); // seen only as the preview draws it on the backdrop
    Label& percent =
        lblDescription_.Add(0, surface.hwnd(), "", Bounds{4650, 1410, 1335, 300}, Label::Alignment::kCenter);
    percent.SetFont(FontSpec{"Lucida Console", 12, true});
    DrawPictures();
    const Bounds levelBounds{240, 2340, 3600, 420};
    Level_ = std::make_unique<cpvSlider>(tab, levelBounds);
    Level_->SetName("Level");
    Level_->SetOrientation(kSliderHorizontal);
    Level_->Move(levelBounds); // the vertical slider it was made as fitted its width to the thumb
    Level_->SetMax(kLevelMax);
    Level_->SetMin(kLevelMin); // also the value
    Level_->MouseUp = [this](int16_t& shift) { Level_MouseUp(shift); };
    // The preview follows the thumb while it is dragged; the level is applied when it is let go.
    Level_->ValueChanged = [this] { ShowLevel(); };
    for (int index = 0; index < 2; ++index) {
        static const char* const captions[] = {"apply to Start Menu", "apply to taskbar"};
        CheckBox& box =
            chkTaskTransp_.Add(index, tab, captions[index], Bounds{4080, 2190 + 330 * index, 2400, 300});
        box.Click = [this] { chkTaskTransp_Click(); };
    }
    ShowOpaque(); // both boxes start off
}

void TranspPage::DrawPictures() {
    PictureBox& surface = picPreviewTransp_(0);
    PictureBox& source = picPreviewTransp_(1);
    RECT badge = {};
    GetWindowRect(lblDescription().hwnd(), &badge);
    MapWindowPoints(nullptr, surface.hwnd(), reinterpret_cast<POINT*>(&badge), 2);
    surface.SetPicture(DrawDesktop(surface.ScaleWidth(), surface.ScaleHeight(), badge));
    source.SetPicture(DrawTaskbar(source.ScaleWidth(), source.ScaleHeight()));
}

void TranspPage::Open() {
    // The skin coloured every control; the percentage keeps its badge.
    lblDescription().SetBackColor(kBadgeColor);
    lblDescription().SetForeColor(kBadgeText);
}

uint8_t TranspPage::LevelVAL() const {
    return static_cast<uint8_t>(Level_->Value());
}

void TranspPage::SetLevelVAL(uint8_t value) {
    Level_->SetValue(value);
    Level_MouseUp(0);
    // The settings store gives the level before the boxes: with both off the page stays opaque.
    if (!AnyBoxChecked()) ShowOpaque();
}

bool TranspPage::AnyBoxChecked() const {
    return chkTaskTransp_(0).Value() || chkTaskTransp_(1).Value();
}

void TranspPage::ShowPreview(uint8_t level) {
    // An effects object of its own: the window's fade keeps running.
    clsTranspEffects preview;
    PanelSurface source(picPreviewTransp_(1)), surface(picPreviewTransp_(0));
    preview.ShowTransparency(source, surface, level);
}

void TranspPage::ShowLevel() {
    const int value = Level_->Value();
    ShowPreview(static_cast<uint8_t>(value - kPreviewOffset));
    const int clear = 100 - RoundHalfEven(value * 100.0 / 255.0);
    lblDescription().SetText(std::to_string(clear) + "%");
}

void TranspPage::ShowOpaque() {
    ShowPreview(255);
    Level_->SetEnabled(false);
    lblDescription().SetText("100%");
}

void TranspPage::Level_MouseUp(int16_t) {
    ShowLevel();
    if (!Level_->Visible()) return; // the settings store is filling the page
    window_.Settings().SaveSettings(window_, 0);
    SetStartMenuHwnd(nullptr); // the agent's next look applies the new level to the Start menu
    clsTranspEffects taskbar;
    uint8_t level = 0;
    taskbar.MakeTransp(TranspTarget::Taskbar, level);
}

void TranspPage::chkTaskTransp_Click() {
    if (AnyBoxChecked()) {
        Level_->SetEnabled(true);
        Level_MouseUp(0);
        return;
    }
    // While the settings store fills the page, the first box it sets must not save the other one's
    // value before that is read.
    if (Level_->Visible()) {
        window_.Settings().SaveSettings(window_, 0);
        SetStartMenuHwnd(nullptr);
        clsTranspEffects taskbar;
        uint8_t level = 0;
        taskbar.MakeTransp(TranspTarget::Taskbar, level); // both off: opaque
    }
    ShowOpaque();
}

} // namespace tsln
