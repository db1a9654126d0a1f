#include "rotation/cls_wallpaper_logons.h"
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/launcher.h"
#include "core/mod_main.h"
#include "core/product.h"
#include "core/window.h"
#include "rotation/apply_logon.h"
#include "rotation/apply_wallpaper.h"
#include "rotation/collection_view.h"
#include "shellutil/load_res_picture.h"
#include "shellutil/open_save.h"
#include "shellutil/picture_file.h"
#include "ui/msgbox.h"

#include <utility>

namespace tsln {

namespace {
// File must exist, keep the working folder, no read-only box.
constexpr uint32_t kPickerFlags = 4108;
constexpr int16_t kFileNotFoundFontSize = 8;

[[noreturn]] void RaiseNoControls(int line) {
    throw Raised(line, err::kNoObject);
}

// Names compare as the user's locale orders them, without regard to letter case.
std::string NameKey(const std::string& name) {
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE | NORM_IGNOREKANATYPE | NORM_IGNOREWIDTH;
    const int length = static_cast<int>(name.size());
    const int size =
        length == 0 ? 0 : LCMapStringA(LOCALE_USER_DEFAULT, flags, name.data(), length, nullptr, 0);
    if (size <= 0) return AsciiCaseKey(name);
    std::string key(static_cast<size_t>(size), '\0');
    LCMapStringA(LOCALE_USER_DEFAULT, flags, name.data(), length, &key[0], size);
    return key;
}

// A stored list entry the collection cannot read is logged once, not at every restore: the agent restores
// its lists at every scheduled change.
void NoteUnreadableEntry(tType kind, const std::pair<std::string, std::string>& stored) {
    LogUnreadableOnce(
        std::string(IsLogons(kind) ? kLogonListSubkey : kWallpaperListSubkey) + "\\" + stored.first,
        RegValue(stored.second), "cannot be read; it and the entries after it are kept as they stand",
        "Tessaline.colWL.Restore");
}

// Paths are equal as the file system takes them: letter case aside.
std::string PathKey(const std::string& path) {
    std::string key = path;
    if (!key.empty()) CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}
} // namespace

clsWallpaperLogons::~clsWallpaperLogons() {
    Save();
}

void clsWallpaperLogons::SettType(tType kind) {
    // A list restored earlier goes back first, so that setting the kind again loses nothing.
    if (listRead_) Save();
    mKind = kind;
    Restore();
}

void clsWallpaperLogons::SetControls(std::unique_ptr<CollectionControls> controls) {
    mControls = std::move(controls);
}

void clsWallpaperLogons::AddFile(const std::string& path) {
    if (!path.empty()) {
        // A file dropped on the preview: the picker's folder stays where it was.
        AddWL(path);
        return;
    }
    const std::string file = SelectFile(mLastFolder);
    if (file.empty()) return;
    if (AddWL(file)) {
        // A logon screen sits in a folder of its own: the picker opens on the folder above it next time.
        mLastFolder = FilePart(file, IsLogons(mKind) ? 5 : 4);
        lastFolderKnown_ = true;
    }
}

void clsWallpaperLogons::Remove() {
    try {
        if (!mControls) RaiseNoControls(__LINE__);
        int16_t position = 0;
        if (mControls->SelectedItemData(position)) RemoveFromArray(position);
        Enumerate();
    } catch (...) {
        HandleFailure("Tessaline.clsWallpaperLogons.Remove", kShown);
    }
}

void clsWallpaperLogons::Enumerate() {
    try {
        // Without controls there is nothing to fill; the list itself is complete either way.
        if (!mControls) return;
        const ListShow show = WhatEnumerateShows(mEntries, FindEntry(mCurrentPath), DefaultChosen());
        mControls->ClearList();
        EventsBetweenItems events;
        for (const ListLine& line : show.lines) {
            mControls->AddLine(line.text, line.itemData);
            events();
            if (!mControls) return; // the page went while its messages ran
        }
        if (show.howToAdd) ShowBuiltIn(kHowToAddPicture);
        if (show.selectedLine >= 0) mControls->SelectLine(show.selectedLine);
    } catch (...) {
        HandleFailure("Tessaline.clsWallpaperLogons.Enumerate", mSilent);
    }
}

bool clsWallpaperLogons::Preview() {
    try {
        if (!mControls) RaiseNoControls(__LINE__);
        int16_t position = 0;
        if (!mControls->SelectedItemData(position) || position < 1 || position > mEntries.Count()) {
            // No line selected, as in an empty list: nothing to preview.
            ShowBuiltIn(kNoPreviewPicture);
            return true;
        }
        const std::string path = mEntries[position].Path;
        const FileState state = StateOf(path);
        if (state != FileState::Present) {
            if (state == FileState::OutOfReach) ShowBuiltIn(kNoPreviewPicture);
            FileNotFound(position, state);
            return false;
        }
        switch (WhatPreviewShows(mEntries.Count(), DefaultChosen(), mKind)) {
        case PreviewShow::NoPreview:
            ShowBuiltIn(kNoPreviewPicture);
            break;
        case PreviewShow::PictureFile:
            try {
                ShowPictureFile(path);
            } catch (...) {
                // The preview must not go on showing the entry selected before; the load's failure is
                // the one reported.
                try {
                    ShowBuiltIn(kNoPreviewPicture);
                } catch (...) {
                }
                throw;
            }
            break;
        case PreviewShow::Screenshot:
            if (!LScreenshot(FilePart(path, 4))) ShowBuiltIn(kNoPreviewPicture);
            break;
        }
        return true;
    } catch (...) {
        HandleFailure("Tessaline.colWL.Preview", mSilent);
        return false;
    }
}

void clsWallpaperLogons::Sort() {
    const bool byName = mSettings.Collection(mKind).Sort() != 0;
    if (byName)
        SortByName();
    else
        Shuffle();
}

void clsWallpaperLogons::SetWL(int what) {
    try {
        switch (what) {
        case kDefaultEntry:
            Sett(0);
            break;
        case kNextEntry: {
            if (mEntries.Count() == 0) break;
            mSilent = true;
            // Entries out of reach (a drive not there yet) wait for a later turn without a word. A file
            // gone since the list was restored is logged and dropped, and the turn goes on to the entry
            // after it.
            const std::string from = mCurrentPath;
            const auto reachable = [](const WLEntry& entry) {
                return StateOf(entry.Path) != FileState::OutOfReach;
            };
            for (;;) {
                const int16_t next = mEntries.NextPosition(FindEntry(from), reachable);
                if (next <= 0) break;
                if (StateOf(mEntries[next].Path) != FileState::Missing) {
                    Sett(next);
                    break;
                }
                const int16_t count = mEntries.Count();
                FileNotFound(next, FileState::Missing);
                if (mEntries.Count() == count) break; // not dropped: nothing else to try
            }
            break;
        }
        case kSelectedEntry: {
            if (mEntries.Count() == 0) break;
            if (!mControls) RaiseNoControls(__LINE__);
            int16_t position = 0;
            if (mControls->SelectedItemData(position)) Sett(position);
            break;
        }
        default:
            break;
        }
    } catch (...) {
        HandleFailure("Tessaline.clsWallpaperLogons.SetWL", mSilent);
    }
}

bool clsWallpaperLogons::Sett(int16_t position) {
    try {
        if (position > 0) {
            const FileState state = StateOf(mEntries[position].Path);
            if (state != FileState::Present) {
                FileNotFound(position, state);
                return false;
            }
        }
        if (IsLogons(mKind))
            LogonStep(position);
        else
            WallpaperStep(position);
        WLEntry& entry = mEntries[position];
        entry.LastUsed = GeneralDateTimeNow();
        // The count stops at its largest value rather than fail a change that has already been made.
        if (entry.UseCount < INT16_MAX) ++entry.UseCount;
        SetCurrentPath(entry.Path);
        return true;
    } catch (...) {
        HandleFailure("Tessaline.clsWallpaperLogons.Sett", mSilent);
        return false;
    }
}

void clsWallpaperLogons::WallpaperStep(int16_t position) {
    WriteStretchedStyle();
    std::string wallpaper;
    if (position != 0) {
        const std::string path = mEntries[position].Path;
        const BitmapResult result = SaveBMP(path);
        if (result != BitmapResult::Saved) {
            // Only a picture that cannot be loaded leaves the list; a bitmap that could not be written
            // (a full disk, a locked file) says nothing against the picture.
            if (result == BitmapResult::NotAPicture && !HeldElsewhere(path)) RemoveAndRelist(position);
            TSLN_FAIL(err::kNotConverted, "error occured when trying to save as bitmap " + path);
        }
        wallpaper = DesktopBitmapPath();
    }
    SetDesktopWallpaper(wallpaper);
}

void clsWallpaperLogons::LogonStep(int16_t position) {
    const std::string path = mEntries[position].Path;
    if (position > 0 && !VerifyLogonui(path)) {
        if (!HeldElsewhere(path)) RemoveAndRelist(position);
        TSLN_FAIL(err::kNotALogonScreen,
                  "Error occured when trying to set LogonUI " + path + "\r\nNot a valid LOGONUI file!");
    }
    if (!WriteUIHost(position > 0 ? path : kStandardLogonUI))
        TSLN_FAIL(err::kNotALogonScreen, "Error occured when trying to set LogonUI " + path +
                                             "\r\nTo change LogonUI you must be logged in as administrator!");
}

clsWallpaperLogons::BitmapResult clsWallpaperLogons::SaveBMP(const std::string& path) {
    BitmapResult failure = BitmapResult::NotAPicture;
    try {
        unique_picture picture = LoadPictureFile(path);
        failure = BitmapResult::NotWritten;
        WriteBitmapFile(picture.get(), DesktopBitmapPath(), WallpaperScreenSize(), mSettings.WFit(),
                        DesktopBackground());
        return BitmapResult::Saved;
    } catch (...) {
        HandleFailure("Tessaline.clsWallpaperLogons.SaveBMP", kSilent);
        return failure;
    }
}

bool clsWallpaperLogons::AddWL(const std::string& path) {
    try {
        if (IsLogons(mKind) && !VerifyLogonui(path)) {
            const std::string question =
                path +
                "\r\n it's not a valid LOGONUI file!\r\n\r\nDo you want to download more XP Logon Screens?";
            if (MessageBoxA(Owner(), question.c_str(), kProductTitle, MB_YESNO | MB_ICONINFORMATION) == IDYES)
                StartDoc(std::string(kVendorSite) + "/cgi-bin/linkcount/to.cgi?l=TSLN_logons");
            TSLN_FAIL(err::kNotALogonScreen,
                      "Error occured when trying to add LogonUI " + path + "\r\nNot a valid LOGONUI file!");
        }
        if (FindEntry(path) != 0) {
            ReportError("File " + path + " allready exist in your list!", kSilent);
        } else {
            mEntries.Append({FilePart(path, IsLogons(mKind) ? 1 : 0), path, {}, 0});
            Sort();
        }
        SetCurrentPath(path);
        Enumerate();
        return true;
    } catch (...) {
        HandleFailure("Project1.clsWallpaperLogons.AddWL", kSilent);
        return false;
    }
}

int16_t clsWallpaperLogons::FindEntry(const std::string& path) const {
    return mEntries.FindEntry(path, PathKey);
}

bool clsWallpaperLogons::RemoveFromArray(int16_t position) {
    try {
        SetCurrentPath(mEntries.RemoveAt(position));
        return true;
    } catch (...) {
        HandleFailure("Project1.clsWallpaperLogons.RemoveFromArray", mSilent);
        return false;
    }
}

void clsWallpaperLogons::SortByName() {
    mEntries.SortByName(NameKey);
}

void clsWallpaperLogons::Shuffle() {
    mEntries.Shuffle();
}

void clsWallpaperLogons::Save() {
    try {
        CollectionSettings stored = mSettings.Collection(mKind);
        if (listRead_) {
            std::vector<std::string> texts;
            texts.reserve(static_cast<size_t>(mEntries.Count()) + unread_.size());
            for (int16_t position = 1; position <= mEntries.Count(); ++position)
                texts.push_back(StoredForm(mEntries[position]));
            texts.insert(texts.end(), unread_.begin(), unread_.end());
            stored.SetOtherFiles(texts);
        }
        if (currentKnown_) stored.SetCurrent(mCurrentPath);
        if (lastFolderKnown_) stored.SetDefaultDir(mLastFolder);
    } catch (...) {
        HandleFailure("Tessaline.colWL.Save", kSilent);
    }
}

void clsWallpaperLogons::Restore() {
    try {
        mEntries.Clear();
        unread_.clear();
        mCurrentPath.clear();
        mLastFolder.clear();
        listRead_ = currentKnown_ = lastFolderKnown_ = false;
        CollectionSettings settings = mSettings.Collection(mKind);
        const ListPairs stored = settings.OtherFiles();
        listRead_ = true;
        for (size_t i = 0; i < stored.size(); ++i) {
            try {
                WLEntry entry = ParseStoredForm(stored[i].second);
                // A file gone from its folder goes from the list; one whose folder or drive is not there
                // now is kept for when it is.
                if (StateOf(entry.Path) != FileState::Missing) mEntries.Append(std::move(entry));
            } catch (...) {
                // Restoring stops at a text it cannot read; that text and the rest are saved back as
                // they stand.
                for (size_t rest = i; rest < stored.size(); ++rest)
                    unread_.push_back(stored[rest].second);
                NoteUnreadableEntry(mKind, stored[i]);
                return;
            }
        }
        // Read, not known: saved only once the collection changes them, so that a stored value the
        // program cannot read stays as the user left it.
        mCurrentPath = settings.Current();
        mLastFolder = settings.DefaultDir();
    } catch (...) {
        HandleFailure("Tessaline.colWL.Restore", kSilent);
    }
}

std::string clsWallpaperLogons::SelectFile(const std::string& folder) {
    try {
        clsOpenSave picker;
        picker.SethWnd(Owner());
        picker.SetCancelError(true);
        picker.SetFlags(kPickerFlags);
        picker.SetInitDir(folder);
        picker.SetFilterIndex(2);
        if (IsLogons(mKind)) {
            picker.SetDialogTitle("Select a Logon Screen file");
            picker.SetFileName(kStandardLogonUI);
            picker.SetFilter("Logon Screen Files (*.exe)|*.exe");
        } else {
            picker.SetDialogTitle("Select a image file");
            picker.SetFilter("Image Files (*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif");
        }
        picker.ShowOpen();
        return picker.FileName();
    } catch (...) {
        HandleFailure("Tessaline.colWL.SelectFile", kShown);
        return {};
    }
}

bool clsWallpaperLogons::LScreenshot(const std::string& folder) {
    try {
        const std::string shot = FindScreenshot(AddBackslash(folder));
        if (shot.empty()) return false;
        ShowPictureFile(shot);
        return true;
    } catch (...) {
        HandleFailure("Tessaline.clsWallpaperLogons.LScreenshot", kSilent);
        return false;
    }
}

bool clsWallpaperLogons::VerifyLogonui(const std::string& path) {
    try {
        return IsLogonScreen(path);
    } catch (...) {
        HandleFailure("Tessaline.clsWallpaperLogons.VerifyLogonui", kSilent);
        return false;
    }
}

std::string clsWallpaperLogons::FilePart(const std::string& path, int part) {
    try {
        return ::tsln::FilePart(path, part);
    } catch (...) {
        HandleFailure("Tessaline.colWL.FilePart", kShown);
        return {};
    }
}

void clsWallpaperLogons::FileNotFound(int16_t position, FileState state) {
    const std::string message = "File not found: " + mEntries[position].Path;
    // The schedule runs while the user may be away: it never waits on a box.
    if (mSilent)
        ReportError(message, kSilent);
    else
        ShowMsgBox(message, kFileNotFoundFontSize, kMsgBoxOk);
    // The entry removed is the one whose file was looked for (the agent has no selected line).
    if (state == FileState::Missing) RemoveAndRelist(position);
}

void clsWallpaperLogons::RemoveAndRelist(int16_t position) {
    if (RemoveFromArray(position)) Enumerate();
}

bool clsWallpaperLogons::DefaultChosen() {
    return mSettings.Collection(mKind).Default() != 0;
}

HWND clsWallpaperLogons::Owner() const {
    return mControls ? mControls->OwnerWindow() : nullptr;
}

void clsWallpaperLogons::ShowBuiltIn(int number) {
    if (!mControls) return;
    unique_picture picture = cLoadResPicture().LoadResPicture(number, "GIF");
    mControls->ShowPicture(FittedBitmap(picture.get(), mControls->PreviewSize()));
}

void clsWallpaperLogons::ShowPictureFile(const std::string& path) {
    // Loaded even without a preview to show it in, so that the caller learns whether it is a picture.
    unique_picture picture = LoadPictureFile(path);
    if (!mControls) return;
    if (IsLogons(mKind)) {
        mControls->ShowPicture(FittedBitmap(picture.get(), mControls->PreviewSize()));
        return;
    }
    // A wallpaper is previewed as the desktop will show it: the screen's shape, the chosen fit.
    const PixelSize screen = FitInside(WallpaperScreenSize(), mControls->PreviewSize());
    mControls->ShowPicture(
        BitmapOfRows(DesktopPixels(picture.get(), screen, mSettings.WFit(), DesktopBackground()), screen));
}

void clsWallpaperLogons::SetCurrentPath(std::string path) {
    mCurrentPath = std::move(path);
    currentKnown_ = true;
}

clsWallpaperLogons::FileState clsWallpaperLogons::StateOf(const std::string& path) {
    if (FileExists(path)) return FileState::Present;
    const std::string folder = ::tsln::FilePart(path, 4);
    const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(folder.c_str());
    const bool folderThere = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return folderThere ? FileState::Missing : FileState::OutOfReach;
}

bool clsWallpaperLogons::HeldElsewhere(const std::string& path) {
    const unique_file file(CreateFileA(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD code = file ? ERROR_SUCCESS : GetLastError();
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

} // namespace tsln
