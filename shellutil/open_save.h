// The platform's file-open dialog, and the paths of special system folders.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace tsln {

// One object per dialog: set the properties, call ShowOpen, read the result back from the properties.
class clsOpenSave {
public:
    clsOpenSave();

    HWND hWnd() const { return hWnd_; }
    void SethWnd(HWND value) { hWnd_ = value; }
    const std::string& DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(std::string value) { dialogTitle_ = std::move(value); }
    // Description and pattern pairs separated by "|".
    std::string Filter() const;
    void SetFilter(const std::string& value);
    uint16_t FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(uint16_t value) { filterIndex_ = value; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string value) { fileName_ = std::move(value); }
    const std::string& FileTitle() const { return fileTitle_; }
    void SetFileTitle(std::string value) { fileTitle_ = std::move(value); }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(std::string value) { defaultExt_ = std::move(value); }
    const std::string& InitDir() const { return initDir_; }
    void SetInitDir(std::string value) { initDir_ = std::move(value); }
    // The dialog's OFN_ option flags.
    uint32_t Flags() const { return flags_; }
    void SetFlags(uint32_t value) { flags_ = value; }
    uint16_t MaxFileSize() const { return maxFileSize_; }
    void SetMaxFileSize(uint16_t value) { maxFileSize_ = value; }
    bool CancelError() const { return cancelError_; }
    void SetCancelError(bool value) { cancelError_ = value; }
    uint16_t FileExt() const { return fileExt_; }
    void SetFileExt(uint16_t value) { fileExt_ = value; }

    // Shows the file-open dialog. Confirmed: FileName, FileTitle, Flags, FilterIndex and FileExt come
    // from the dialog. Cancelled or failed: FileName is emptied when CancelError is set and kept
    // otherwise; nothing is raised. A proposed FileName longer than MaxFileSize raises 5.
    void ShowOpen();

    // 80: the Windows folder, 81: the system folder, anything else: a shell special folder (CSIDL).
    // Empty when the folder cannot be resolved.
    std::string FindSystemFolder(long lngNum) const;

private:
    HWND hWnd_ = nullptr;
    std::string dialogTitle_;
    std::string filter_; // the platform's form: "|" replaced by NUL, two NULs at the end
    uint16_t filterIndex_ = 1;
    std::string fileName_;
    std::string fileTitle_;
    std::string defaultExt_;
    std::string initDir_ = "C:\\";
    uint32_t flags_ = 0;
    uint16_t maxFileSize_ = 260;
    bool cancelError_ = false;
    uint16_t fileExt_ = 0;
};

} // namespace tsln
