#include "skins/clsSkins.h"
#include "core/app_error.h"
#include "core/clsSetari.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "core/units.h"
#include "core/window.h"
#include "res/version.h"
#include "skins/cUnzip.h"
#include "skins/skin_values.h"

#include <algorithm>

namespace tsln {

namespace {
const char* const kDescription = "skin.ini";
const char* const kScreenshot = "screenshot.jpg";
const char* const kMovieExtension = ".swf";
// GetPrivateProfileStringA's buffer: longer values are cut.
constexpr DWORD kValueBuffer = 500;

std::string Upper(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

} // namespace

// Hidden and system entries are no packages; a folder that cannot be listed holds none.
std::vector<std::string> ListSkinPackages(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    unique_find search(FindFirstFileA((folder + "*").c_str(), &found));
    if (!search) return names;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        std::string name = PackageSkinName(found.cFileName);
        if (!name.empty()) names.push_back(std::move(name));
    } while (FindNextFileA(search.get(), &found));
    return names;
}

namespace {
// A hook of the skins page that the window never bound raises as an unset object would.
template <typename Hook>
const Hook& Bound(const Hook& hook) {
    if (!hook) TSLN_FAIL(err::kNoObject);
    return hook;
}

int Pixels(double twips, int twipsPerPixel) {
    return RoundHalfEven(twips / twipsPerPixel);
}
} // namespace

SkinsSetup ProgramSkinsSetup() {
    SkinsSetup setup;
    setup.skinsFolder = AddBackslash(ProgramFolder()) + "SKINS\\";
    setup.unzipLibrary = DefaultUnzipLibrary();
    setup.endProgram = [] { ExitProcess(kExitRefused); };
    return setup;
}

clsSkins::clsSkins(SkinsSetup setup) : setup_(std::move(setup)) {
    try {
        names_ = ListSkinPackages(setup_.skinsFolder);
        current_ = Listed(clsSetari().Skin());
        if (!IsListed(current_)) current_ = names_.empty() ? std::string() : names_.front();
        if (current_.empty()) {
            ReportError("FATAL ERROR - There isn't any TSLN skin in: \r\n" + FolderForMessages() +
                            "\r\nPlease read HELP.",
                        kShown);
            setup_.endProgram();
        }
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.Class_Initialize", kShown);
    }
}

clsSkins::~clsSkins() {
    try {
        if (!setup_.storeOnRelease) {
            DeleteTempFiles();
            return;
        }
        clsSetari settings;
        if (!current_.empty()) settings.SetSkin(current_);
        RECT place;
        if (form_ != nullptr && GetWindowRect(form_->Hwnd(), &place)) {
            settings.SetTop(place.top * TwipsPerPixelY());
            settings.SetLeft(place.left * TwipsPerPixelX());
        }
    } catch (...) {
        // What cannot be stored now is lost; the window is closing.
    }
    DeleteTempFiles();
}

std::string clsSkins::FolderForMessages() const {
    std::string folder = setup_.skinsFolder;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return Upper(folder);
}

void clsSkins::ErrorBox(const std::string& text) const {
    MessageBoxA(form_ != nullptr ? form_->Hwnd() : nullptr, text.c_str(), kProductTitle,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

SkinTarget& clsSkins::RequireForm() const {
    if (form_ == nullptr) TSLN_FAIL(err::kNoObject);
    return *form_;
}

void clsSkins::SetControls(SkinsPageControls controls) {
    controls_ = std::move(controls);
    if (controls_.EnableApply) controls_.EnableApply(false);
}

std::string clsSkins::Listed(const std::string& name) const {
    // The file system tells neither "Night" from "night" nor, here, "Blue Sky" from "Blue_Sky": the
    // package's own spelling names its file and its movie.
    const std::string wanted = FileSkinName(name);
    for (const std::string& listed : names_)
        if (lstrcmpiA(FileSkinName(listed).c_str(), wanted.c_str()) == 0) return listed;
    return wanted;
}

bool clsSkins::IsListed(const std::string& name) const {
    return std::find(names_.begin(), names_.end(), name) != names_.end();
}

std::string clsSkins::Skin() const {
    return ShownSkinName(current_);
}

void clsSkins::DeleteTempFiles() {
    // Files that were never unpacked, or are already gone, need nothing.
    for (const std::string& name :
         {std::string(kDescription), std::string(kScreenshot), current_ + kMovieExtension})
        DeleteFileA((AppFolder() + name).c_str());
}

bool clsSkins::Extract(const std::string& skinName, const std::string& entryName) {
    try {
        cUnzip zip(setup_.unzipLibrary);
        zip.SetZipFile(setup_.skinsFolder + skinName + ".csk");
        zip.SetUnzipFolder(AppFolder());
        // A file left behind by an operation that failed must never pass for this package's.
        zip.SetOverwriteExisting(true);
        zip.Directory();
        bool any = false;
        if (entryName.empty()) {
            // Only the files a skin is made of, at the package's root: nothing else is ever deleted again,
            // and nothing may replace the program's own files in the data folder.
            const std::string movie = skinName + kMovieExtension;
            for (int32_t i = 1; i <= zip.FileCount(); ++i) {
                const cUnzipEntry& entry = zip.Entry(i);
                const char* name = entry.FileName.c_str();
                if (entry.Folder.empty() &&
                    (lstrcmpiA(name, kDescription) == 0 || lstrcmpiA(name, kScreenshot) == 0 ||
                     lstrcmpiA(name, movie.c_str()) == 0)) {
                    zip.SetFileSelected(i, true);
                    any = true;
                }
            }
            if (!any) return true; // a missing or empty package: nothing to unpack
        } else {
            for (int32_t i = 1; i <= zip.FileCount() && !any; ++i) {
                if (zip.FileName(i) == entryName) {
                    zip.SetFileSelected(i, true);
                    any = true;
                }
            }
            if (!any) return false;
        }
        zip.UnZip(); // what could not be unpacked is missing when it is read
        // The platform may still hold an earlier description of that name, and takes a new file with the
        // same time stamp (every file of a package made at once has it) for the one it holds.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, (AppFolder() + kDescription).c_str());
        return true;
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.Extract", kShown);
        return false;
    }
}

std::string clsSkins::ReadINI(const std::string& section, const std::string& key, const std::string& file) {
    try {
        const std::string path = file.empty() ? AppFolder() + kDescription : file;
        char value[kValueBuffer] = {};
        DWORD length =
            GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, kValueBuffer, path.c_str());
        return std::string(value, std::min<DWORD>(length, kValueBuffer - 1));
    } catch (...) {
        // This report names its source right after the description, without the "Debug Information:" line.
        const AppError failure = CurrentFailure();
        ReportError("Error Number: " + std::to_string(failure.number) + "\r\n" + failure.description +
                        "\r\n\r\nTessaline.clsSkins.ReadINI",
                    kShown);
        return {};
    }
}

uint8_t clsSkins::CheckCompatibility() {
    try {
        return Compatibility(ReadINI("INFO", "For"), ReadINI("INFO", "Version"), TSLN_VERSION_MAJOR,
                             TSLN_VERSION_MINOR, [] { DoEvents(); });
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.CheckCompatibility", kShown);
        return 0;
    }
}

void clsSkins::Enumerate() {
    Bound(controls_.ClearList)();
    for (const std::string& name : names_)
        Bound(controls_.AddToList)(ShownSkinName(name));
    Bound(controls_.SetListText)(ShownSkinName(current_));
    Bound(controls_.EnableList)(names_.size() != 1);
}

bool clsSkins::Preview() {
    try {
        const std::string name = Listed(Bound(controls_.ListText)());
        Extract(name, kDescription);
        Extract(name, kScreenshot);
        Bound(controls_.ShowPreview)(LoadPictureFile(AppFolder() + kScreenshot));
        Bound(controls_.SetDescription)(
            PreviewDescription(ReadINI("INFO", "Name"), ReadINI("INFO", "Author"), ReadINI("INFO", "Date")));
        DeleteTempFiles();
        Bound(controls_.EnableApply)(name != current_);
        return true;
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.Preview", kShown);
        DeleteTempFiles();
        return false;
    }
}

bool clsSkins::ReadColors() {
    try {
        if (!Extract(current_, kDescription)) {
            DeleteTempFiles();
            return false;
        }
        auto remove = make_scope_exit([this] { DeleteTempFiles(); });
        if (CheckCompatibility() != 0) return false; // another program's colours are no skin's
        const auto control = static_cast<COLORREF>(ParseInt32(ReadINI("COLORS", "NormalControl")));
        const auto font = static_cast<COLORREF>(ParseInt32(ReadINI("COLORS", "NormalFont")));
        normalControl_ = control;
        normalFont_ = font;
        return true;
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.ReadColors", kShown);
        DeleteTempFiles();
        return false;
    }
}

void clsSkins::SetSkin(const std::string& value) {
    const std::string inUse = current_;
    try {
        if (!value.empty()) current_ = Listed(value);
        Extract(current_);
        const uint8_t fit = CheckCompatibility();
        if (fit != 0) {
            ErrorBox(fit == 1 ? "This skin isn't compatible with\r\nyour version of Tessaline!\r\n\r\n"
                                "You must upgrade Tessaline or use other skin."
                              : "This skin isn't for Tessaline!\r\nPlease use other skin.");
            if (value.empty()) {
                // The stored skin itself: the program cannot go on with it.
                ErrorBox("Please remove " + Upper(current_) + " skin from\r\nTessaline skins directory:\r\n" +
                         FolderForMessages());
                DeleteTempFiles();
                setup_.endProgram();
                return;
            }
            // A skin chosen from the list: the window keeps the skin it shows, and so does the setting.
            DeleteTempFiles();
            current_ = inUse;
            return;
        }
        ApplyDescription(RequireForm());
        DeleteTempFiles();
    } catch (...) {
        HandleFailure("Tessaline.clsSkins.Skin", kShown);
        DeleteTempFiles();
    }
}

void clsSkins::ApplyDescription(SkinTarget& window) {
    const HWND hwnd = window.Hwnd();
    const int tx = TwipsPerPixelX(), ty = TwipsPerPixelY();

    normalControl_ = static_cast<COLORREF>(ParseInt32(ReadINI("COLORS", "NormalControl")));
    normalFont_ = static_cast<COLORREF>(ParseInt32(ReadINI("COLORS", "NormalFont")));
    ChangeControlsColors();

    window.SetRTop(ParseInt16(ReadINI("POSITION", "Top")));
    window.SetRLeft(ParseInt16(ReadINI("POSITION", "Left")));
    const double height = ParseNumber(ReadINI("POSITION", "Height"));
    const double width = ParseNumber(ReadINI("POSITION", "Width"));
    if (height < 0 || width < 0) TSLN_FAIL(err::kInvalidPropertyValue);
    SetWindowPos(hwnd, nullptr, 0, 0, Pixels(width, tx), Pixels(height, ty),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    clsSetari settings;
    const WindowPlace place = PlaceOnScreen(settings.Left(), settings.Top(), width, height,
                                            static_cast<double>(GetSystemMetrics(SM_CXSCREEN)) * tx,
                                            static_cast<double>(GetSystemMetrics(SM_CYSCREEN)) * ty);
    SetWindowPos(hwnd, nullptr, Pixels(place.left, tx), Pixels(place.top, ty), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    unique_gdi outline = CreateFormRegion(1, 1, 0, 0, ReadINI("SHAPE", "GPX"), ReadINI("SHAPE", "GPY"));
    // The window owns the region once it took it; without one it is rectangular.
    if (SetWindowRgn(hwnd, static_cast<HRGN>(outline.get()), TRUE)) outline.release();

    SkinMovie* movie = window.Movie();
    if (movie == nullptr) TSLN_FAIL(err::kNoSuchMember);
    const long frame = movie->CurrentFrame();
    movie->SetMovie(AppFolder() + current_ + kMovieExtension);
    RECT size = {};
    GetWindowRect(hwnd, &size);
    movie->Move(0, 0, size.right - size.left, size.bottom - size.top);
    // Frame 1 starts the movie with its sound on, frame 2 with it off.
    const bool sound = settings.Sound() != 0;
    if (frame < 1) {
        movie->GotoFrame(sound ? 1 : 2);
        movie->Play();
    } else {
        if (sound) movie->GotoFrame(1);
        movie->GotoFrame(frame);
    }

    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Bound(controls_.EnableApply)(false);
}

} // namespace tsln
