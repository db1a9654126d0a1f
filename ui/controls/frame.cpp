#include "ui/controls/frame.h"
#include "core/unique_any.h"

namespace tsln {

namespace {
constexpr int kCaptionIndent = 8; // pixels from the frame's left edge to its caption
}

Frame::Frame(HWND parent, const std::string& caption, const Bounds& bounds)
    : PaintedControl("Frame", kBackAndFore, SystemColor(COLOR_BTNFACE), SystemColor(COLOR_BTNTEXT)) {
    CreatePainted(parent, "TessalineFrame", caption, WS_CLIPCHILDREN, bounds);
}

void Frame::Paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, BackBrush());
    const unique_select font(dc, FontHandle());
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    RECT edge = client;
    edge.top = metrics.tmHeight / 2;
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);

    const std::string caption = Text();
    if (!caption.empty()) {
        RECT text = {kCaptionIndent, 0, client.right - kCaptionIndent, metrics.tmHeight};
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, BackColorRef());
        SetTextColor(dc, Enabled() ? ForeColorRef() : GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
}

} // namespace tsln
