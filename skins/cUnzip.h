// The zip extraction interface over tsln.dll: lists an archive's entries, lets the caller select some,
// and extracts the selected ones (or all of them) below a folder. One library call runs at a time: the
// library's routines find the object they serve through one program-wide reference.
#pragma once
#include "core/unique_any.h"
#include "unzip/unzip_api.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace tsln {

// tsln.dll beside the running executable.
std::string DefaultUnzipLibrary();

// One listed file entry of an archive.
struct cUnzipEntry {
    std::string FileName; // the stored name after its last "/"
    std::string Folder;   // the stored path before its last "/", with "\" separators; empty at the root
    uint32_t Size = 0;    // uncompressed bytes
    uint32_t PackedSize = 0;
    unsigned Factor = 0; // percent saved
    std::string Method;  // "Stored", "Defl:N", ...
    struct {
        unsigned Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0; // seconds are always 0
    } Date;
    uint32_t CRC = 0;
    bool Encrypted = false;
    bool Selected = false;
};

class cUnzip {
public:
    // `library`: the path of tsln.dll, loaded at the first call that needs it.
    explicit cUnzip(std::string library = DefaultUnzipLibrary());
    ~cUnzip();
    cUnzip(const cUnzip&) = delete;
    cUnzip& operator=(const cUnzip&) = delete;

    const std::string& ZipFile() const { return zipFile_; }
    // A new archive empties the entry list.
    void SetZipFile(const std::string& path);
    const std::string& UnzipFolder() const { return unzipFolder_; }
    void SetUnzipFolder(const std::string& folder) { unzipFolder_ = folder; }
    bool OverwriteExisting() const { return options_.fOverwrite != 0; }
    void SetOverwriteExisting(bool on) { options_.fOverwrite = on ? 1 : 0; }
    bool ConvertCRToCRLF() const { return options_.fConvertCrLf != 0; }
    void SetConvertCRToCRLF(bool on) { options_.fConvertCrLf = on ? 1 : 0; }
    bool CaseSensitiveFileNames() const { return options_.fCaseSensitive != 0; }
    void SetCaseSensitiveFileNames(bool on) { options_.fCaseSensitive = on ? 1 : 0; }

    // Appends the archive's file entries to the list; returns the library's result code. A failure to
    // load or call the library raises an AppError with the platform's number and text.
    int Directory();

    int32_t FileCount() const { return static_cast<int32_t>(entries_.size()); }
    // 1-based; an index outside the list raises "Subscript out of range".
    std::string FileName(int32_t index) const { return Entry(index).FileName; }
    void SetFileSelected(int32_t index, bool selected);
    const cUnzipEntry& Entry(int32_t index) const;

    // Extracts the selected entries below UnzipFolder with their stored folders; every entry when all or
    // none are selected. Nothing happens (0) without a ZipFile. Returns the library's result code.
    int UnZip();

    // Events; without a listener the library gets the defaults: keep existing files, no password, go on.
    std::function<void(const std::string& name, bool& cancel)> Cancel;
    std::function<void(const std::string& file, int& response)> OverwritePrompt;
    std::function<void(std::string& password, bool& cancel)> PasswordRequest;
    std::function<void(int32_t count, const std::string& text)> Progress;

private:
    int Call(std::vector<std::string> include);
    const cUnzipEntry& At(int32_t index) const;

    static int WINAPI PrintRoutine(LPSTR text, unsigned long length);
    static int WINAPI ReplaceRoutine(LPSTR path);
    static int WINAPI PasswordRoutine(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name);
    static void WINAPI MessageRoutine(unsigned long ucsize, unsigned long csiz, unsigned cfactor, unsigned mo,
                                      unsigned dy, unsigned yr, unsigned hh, unsigned mm, char c,
                                      LPSTR filename, LPSTR methbuf, unsigned long crc, char fCrypt);
    static int WINAPI ServiceRoutine(LPCSTR name, unsigned long size);

    std::string library_;
    unique_hmodule module_;
    TslnSingleEntryUnzip entry_ = nullptr;
    std::string zipFile_;
    std::string unzipFolder_;
    DCL options_{};
    std::vector<cUnzipEntry> entries_;
    bool passwordRefused_ = false;
    // A listener's failure inside a routine, raised again once the library has returned.
    std::exception_ptr listenerFailure_;
};

} // namespace tsln
