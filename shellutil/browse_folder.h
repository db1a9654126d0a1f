// The platform's folder-browse dialog, opened with a folder preselected.
#pragma once
#include <windows.h>
#include <cstdint>
#include <optional>
#include <string>

namespace tsln {

// One object per dialog: bCancelled is set by a dialog that ends without a folder and never reset.
class cBrowseFolder {
public:
    HWND lhWnd() const { return lhWnd_; }
    void SetlhWnd(HWND value) { lhWnd_ = value; }
    const std::string& sTitle() const { return sTitle_; }
    void SetsTitle(std::string value) { sTitle_ = std::move(value); }
    // The stored text cut at its first NUL and trimmed of spaces.
    std::string sFolder() const;
    void SetsFolder(std::string value) { sFolder_ = std::move(value); }
    // The platform's BIF_ flags; 1 lets only file-system folders be chosen.
    uint32_t lFlags() const { return lFlags_; }
    void SetlFlags(uint32_t value) { lFlags_ = value; }
    bool bCancelled() const { return bCancelled_; }
    void SetbCancelled(bool value) { bCancelled_ = value; }

    // Shows the dialog with sFolder selected and returns the chosen folder (also left in sFolder), or
    // empty with bCancelled set. Arguments given set lhWnd, sTitle and sFolder first.
    std::string ShowBrowse(std::optional<HWND> vnthWnd = std::nullopt,
                           std::optional<std::string> vntTitle = std::nullopt,
                           std::optional<std::string> vntFolder = std::nullopt);

private:
    HWND lhWnd_ = nullptr;
    std::string sTitle_;
    std::string sFolder_;
    uint32_t lFlags_ = 1;
    bool bCancelled_ = false;
};

} // namespace tsln
