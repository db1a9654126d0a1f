// The skin manager: lists the skin packages, unpacks and checks them, previews one on the skins page and
// applies one to a window (movie, outline, colours, size and place). The main window owns the one object
// of the program; the dialogs borrow it for their outline and colours.
#pragma once
#include "core/unique_any.h"
#include "skins/skin_outline.h"
#include "skins/skin_target.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tsln {

// Where the skin manager finds its packages and the zip library, and how it ends the program when no
// usable skin exists.
struct SkinsSetup {
    std::string skinsFolder;          // ending in "\"
    std::string unzipLibrary;         // the path of tsln.dll
    std::function<void()> endProgram; // does not return in the program
    // False for a manager that only lends a window the skin's look while no main window exists: it
    // stores nothing when it goes.
    bool storeOnRelease = true;
};
// The program's own: "SKINS\" and tsln.dll beside the executable; ending exits the process at once.
SkinsSetup ProgramSkinsSetup();
// The skin names (file form) of the packages in `folder` (ending in "\"), in listing order.
std::vector<std::string> ListSkinPackages(const std::string& folder);

class clsSkins {
public:
    // Lists the packages and takes the stored skin (or the first listed one). Without any package it
    // reports the fatal message and ends the program.
    explicit clsSkins(SkinsSetup setup = ProgramSkinsSetup());
    // Stores the current skin and the window's position, and deletes the unpacked files.
    ~clsSkins();
    clsSkins(const clsSkins&) = delete;
    clsSkins& operator=(const clsSkins&) = delete;

    // The window later operations act on (not owned; null for none).
    void ApplyToForm(SkinTarget* window) { form_ = window; }
    SkinTarget* Form() const { return form_; }
    // The skins page's controls; disables the apply button.
    void SetControls(SkinsPageControls controls);

    // The current skin, shown with blanks.
    std::string Skin() const;
    // Applies the named skin (blanks or "_"), or the current one again for an empty text.
    void SetSkin(const std::string& value);

    // Fills the skins list; failures go to the caller.
    void Enumerate();
    // Shows the skin named in the list: screenshot, description, and whether it can be applied.
    bool Preview();
    // Unpacks the package `skinName` (file form) into the data folder: the files a skin is made of, or
    // only the first entry named `entryName`. False when that entry is missing, or after a report.
    bool Extract(const std::string& skinName, const std::string& entryName = {});
    // 0 the unpacked description fits this program and version, 1 another version, 2 another program.
    uint8_t CheckCompatibility();
    // A value of the unpacked description (or of `file`), at most 500 characters; empty when missing.
    std::string ReadINI(const std::string& section, const std::string& key, const std::string& file = {});

    // Takes the current skin's two colours from its package without applying the skin to a window; false
    // (after a report, the colours unchanged) when the package or its colours are unusable.
    bool ReadColors();

    // Paints the current window and its controls in the skin's two colours; never fails.
    void ChangeControlsColors();
    // Gives the current window the outline of its shape control (none: rectangular). Failures go to the
    // caller.
    void ShapeRegion(const ShapeControl* shape);
    // The outline polygon of the comma-separated x and y lists (pixels at 96 dots per inch), at the
    // screen's resolution; none after a report.
    unique_gdi CreateFormRegion(float scaleX, float scaleY, int16_t offsetX, int16_t offsetY,
                                const std::string& xList, const std::string& yList);
    // The region of a shape control of `window`; none for no shape, an unknown kind, or after a report.
    unique_gdi ShapeToRegion(const ShapeControl* shape, const SkinTarget& window);
    // `value` converted between scale units; 0 after a report. An unsupported unit is told to the user
    // ("Error") and counts 0 twips.
    double StS(double value, int from, int to);

    // The skin's colours, as the last applied skin gave them.
    COLORREF NormalControl() const { return normalControl_; }
    COLORREF NormalFont() const { return normalFont_; }

private:
    void ApplyDescription(SkinTarget& window);
    // The listed package a name given in either form stands for; the name in file form when none does.
    std::string Listed(const std::string& name) const;
    bool IsListed(const std::string& name) const;
    void DeleteTempFiles();
    SkinTarget& RequireForm() const;
    void ErrorBox(const std::string& text) const;
    std::string FolderForMessages() const;

    SkinsSetup setup_;
    std::vector<std::string> names_; // file form, in listing order
    std::string current_;            // file form
    COLORREF normalControl_ = 0;
    COLORREF normalFont_ = 0;
    SkinTarget* form_ = nullptr;
    SkinsPageControls controls_;
};

} // namespace tsln
