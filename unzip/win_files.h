// The Win32 side of extraction: reading the archive file, writing entries, creating their folders,
// converting entry names with the system's code pages.
#pragma once
#include "unzip/zip_archive.h"

#include <windows.h>

#include <string>

namespace tsln::unzip {

// Reads an open archive file at any offset; the handle is owned by the caller.
class FileSource : public zip::ByteSource {
public:
    explicit FileSource(HANDLE file);
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, void* buffer, size_t count) override;

private:
    HANDLE file_;
    uint64_t size_ = 0;
};

// Writes to an open file, optionally turning lone LF line ends into CR LF.
class FileSink : public zip::OutputSink {
public:
    FileSink(HANDLE file, bool convertLineEnds) : file_(file), convert_(convertLineEnds) {}
    bool Write(const uint8_t* data, size_t count) override;

private:
    bool WriteAll(const void* data, size_t count);

    HANDLE file_;
    bool convert_;
    bool lastWasCr_ = false;
};

// The system's ANSI and OEM code pages.
class CodePageNames : public zip::NameConverter {
public:
    bool ToAnsi(std::u16string_view text, std::string& out) const override;
    bool OemToUnicode(std::string_view bytes, std::u16string& out) const override;
};

enum class FolderResult { kOk, kBlocked, kFailed };

// Creates every folder of `relative` ("a\b\c") below `base`, one level at a time. kBlocked when a
// level exists as a file or as a reparse point (which could lead outside `base`); kFailed when a
// level cannot be created.
FolderResult CreateFolders(const std::string& base, const std::string& relative);

// `base` and `relative` joined by exactly one "\".
std::string JoinPath(const std::string& base, const std::string& relative);

// Sets the last-write time of an open file from a zip entry's local DOS date and time.
void SetDosFileTime(HANDLE file, uint16_t dosDate, uint16_t dosTime);

} // namespace tsln::unzip
