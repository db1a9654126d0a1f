// An image: a picture (owned) shown centred, at its own size when it fits and otherwise scaled down with
// its aspect kept; around it the parent shows through. It raises Click and, when asked to, takes files
// dropped from the shell.
#pragma once
#include "ui/controls/painted_control.h"

#include <functional>
#include <string>
#include <vector>

namespace tsln {

class Image : public PaintedControl {
public:
    Image(HWND parent, const Bounds& bounds);

    // An empty owner takes the picture away.
    void SetPicture(unique_gdi bitmap);
    HBITMAP Picture() const { return static_cast<HBITMAP>(picture_.get()); }
    // Where the picture shows, in pixels of the image's inside (empty without a picture).
    RECT PictureRect() const;

    // Whether files dropped from the shell are taken; FilesDropped then receives their paths in the order
    // the shell gives them.
    void SetAcceptFiles(bool accept);
    std::function<void()> Click;
    std::function<void(const std::vector<std::string>& paths)> FilesDropped;

protected:
    void Paint(HDC dc, const RECT& client) override;
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Dropped(HDROP drop);

    unique_gdi picture_;
    unique_gdi scaled_; // the picture at the size it shows, when that is smaller than its own
    bool accept_ = false;
    bool pressed_ = false;
};

} // namespace tsln
