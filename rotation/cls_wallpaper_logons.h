// One collection of pictures of one kind, desktop wallpapers or logon screens: restored from the
// settings when its kind is set, saved back when it goes, and everything the program does with such a
// list, applying an entry included.
#pragma once
#include "core/clsSetari.h"
#include "rotation/collection_controls.h"
#include "rotation/wallpaper_list.h"

#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tsln {

// What SetWL applies.
constexpr int kNextEntry = 0;     // the entry after the current one (the schedule)
constexpr int kDefaultEntry = 1;  // no wallpaper, or the standard logon program
constexpr int kSelectedEntry = 2; // the entry selected in the list

class clsWallpaperLogons {
public:
    clsWallpaperLogons() = default;
    // Saves the list, the current entry and the last folder.
    ~clsWallpaperLogons();
    clsWallpaperLogons(const clsWallpaperLogons&) = delete;
    clsWallpaperLogons& operator=(const clsWallpaperLogons&) = delete;

    // Sets the kind and restores its list. Callers set the kind first.
    void SettType(tType kind);
    // Binds the page's controls (null unbinds; see BindCollectionPage for the page's real controls).
    // Without them the collection works on its list alone.
    void SetControls(std::unique_ptr<CollectionControls> controls);
    // Adds a file; an empty path asks the user for one with the file picker.
    void AddFile(const std::string& path = {});
    // Removes the entry selected in the list (needs bound controls).
    void Remove();
    // Fills the list and selects the current entry; does nothing without bound controls.
    void Enumerate();
    // Shows the selected entry in the preview.
    bool Preview();
    // Orders the list alphabetically or at random, by the sort setting.
    void Sort();
    // Applies the next entry (kNextEntry: from then on silent, passing over files gone since the list
    // was restored), the default (kDefaultEntry) or the selected one (kSelectedEntry); any other value
    // does nothing.
    void SetWL(int what);

    // What the collection holds, for its owner.
    tType Kind() const { return mKind; }
    const WLList& Entries() const { return mEntries; }
    const std::string& CurrentPath() const { return mCurrentPath; }
    const std::string& LastFolder() const { return mLastFolder; }
    // True once a scheduled change ran: from then on failures are only logged.
    bool Silent() const { return mSilent; }

private:
    // How SaveBMP ended: a picture that cannot be loaded is not one to keep; a bitmap that cannot be
    // written says nothing about the picture.
    enum class BitmapResult { Saved, NotAPicture, NotWritten };
    // Whether an entry's file can be reached: a file that is gone from a folder that is there is
    // missing; one whose folder or drive is not there (a removable drive, a network share) is only
    // out of reach for now.
    enum class FileState { Present, Missing, OutOfReach };

    bool Sett(int16_t position);
    // Converts a picture to the desktop bitmap: Saved, or why not.
    BitmapResult SaveBMP(const std::string& path);
    bool AddWL(const std::string& path);
    int16_t FindEntry(const std::string& path) const;
    bool RemoveFromArray(int16_t position);
    void SortByName();
    void Shuffle();
    void Save();
    void Restore();
    std::string SelectFile(const std::string& folder);
    bool LScreenshot(const std::string& folder);
    bool VerifyLogonui(const std::string& path);
    std::string FilePart(const std::string& path, int part);

    void WallpaperStep(int16_t position);
    void LogonStep(int16_t position);
    // The entry's file is not there: the user is told (once silent, the log alone is); a missing file's
    // entry is removed.
    void FileNotFound(int16_t position, FileState state);
    // RemoveFromArray, then the list is filled again so that its lines match the positions.
    void RemoveAndRelist(int16_t position);
    bool DefaultChosen();
    HWND Owner() const;
    void ShowBuiltIn(int number);
    void ShowPictureFile(const std::string& path);
    void SetCurrentPath(std::string path);
    static FileState StateOf(const std::string& path);
    // Whether the file cannot be read now because another program holds it without sharing: a failure to
    // load it then says nothing against the entry, which stays.
    static bool HeldElsewhere(const std::string& path);

    clsSetari mSettings;
    bool mSilent = false;
    WLList mEntries;
    tType mKind = tType::Logons;
    std::string mCurrentPath;
    std::string mLastFolder;
    std::unique_ptr<CollectionControls> mControls;

    // What was read, so that a list that could not be read whole is never saved over: the stored
    // texts from the first unreadable one on are kept as they were, and the current path and last
    // folder are written only once the collection has changed them.
    bool listRead_ = false;
    std::vector<std::string> unread_;
    bool currentKnown_ = false;
    bool lastFolderKnown_ = false;
};

} // namespace tsln
