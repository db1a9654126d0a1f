// A page of the main window: a panel of ordinary controls laid over the movie, opened by the movie's
// "tab" command and closed by its "ok". Each page builds its controls on its panel and does the work of
// its own handlers; what it needs of the window it finds through the window.
#pragma once
#include "ui/controls/label.h"
#include "ui/controls/picture_box.h"

#include <memory>

namespace tsln {

class frmMain;

class MainPage {
public:
    MainPage(frmMain& window, PictureBox& panel);
    MainPage(const MainPage&) = delete;
    MainPage& operator=(const MainPage&) = delete;
    virtual ~MainPage() = default;

    // Before the settings store fills the page, while it is still hidden.
    virtual void Open() {}
    // After the settings store saved the page, once it is hidden again.
    virtual void Close() {}

    PictureBox& Panel() const { return panel_; }
    // The label at the page's foot: no text of its own.
    Label& lblHELP() const { return *lblHELP_; }

protected:
    frmMain& window_;
    PictureBox& panel_;

private:
    std::unique_ptr<Label> lblHELP_;
};

} // namespace tsln
