#include "unzip/win_files.h"

#include <vector>

namespace tsln::unzip {

FileSource::FileSource(HANDLE file) : file_(file) {
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file, &size) && size.QuadPart > 0) size_ = static_cast<uint64_t>(size.QuadPart);
}

bool FileSource::Read(uint64_t offset, void* buffer, size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file_, position, nullptr, FILE_BEGIN)) return false;
    auto* out = static_cast<char*>(buffer);
    while (count > 0) {
        DWORD got = 0;
        const DWORD want = count > 0x100000 ? 0x100000 : static_cast<DWORD>(count);
        if (!::ReadFile(file_, out, want, &got, nullptr) || got == 0) return false;
        out += got;
        count -= got;
    }
    return true;
}

bool FileSink::WriteAll(const void* data, size_t count) {
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
        DWORD done = 0;
        if (!::WriteFile(file_, p, static_cast<DWORD>(count), &done, nullptr) || done == 0) return false;
        p += done;
        count -= done;
    }
    return true;
}

bool FileSink::Write(const uint8_t* data, size_t count) {
    if (!convert_) return WriteAll(data, count);
    std::vector<uint8_t> text;
    text.reserve(count + count / 8 + 1);
    for (size_t i = 0; i < count; ++i) {
        // A CR LF split across two writes stays one line end.
        if (data[i] == '\n' && !lastWasCr_) text.push_back('\r');
        text.push_back(data[i]);
        lastWasCr_ = data[i] == '\r';
    }
    return WriteAll(text.data(), text.size());
}

bool CodePageNames::ToAnsi(std::u16string_view text, std::string& out) const {
    out.clear();
    if (text.empty()) return true;
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    // Never a look-alike ("/" for a full-width solidus, "a" for an a with macron): those could change
    // where a file lands. UTF-8 as the ANSI code page takes no flags.
    const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = ::WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        out.assign(text.size(), '?');
        return false;
    }
    out.resize(static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_ACP, flags, wide, length, &out[0], size, nullptr, nullptr);
    // Exact only if it reads back as the same text; this also catches the default character.
    std::wstring back(text.size() + 1, L'\0');
    const int backLength =
        ::MultiByteToWideChar(CP_ACP, 0, out.data(), size, &back[0], static_cast<int>(back.size()));
    return backLength == length && std::char_traits<wchar_t>::compare(back.data(), wide, text.size()) == 0;
}

bool CodePageNames::OemToUnicode(std::string_view bytes, std::u16string& out) const {
    out.clear();
    if (bytes.empty()) return true;
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0) {
        out.assign(bytes.size(), u'?');
        return false;
    }
    out.resize(static_cast<size_t>(size));
    ::MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, bytes.data(), length,
                          reinterpret_cast<wchar_t*>(&out[0]), size);
    return true;
}

std::string JoinPath(const std::string& base, const std::string& relative) {
    if (base.empty()) return relative;
    const char last = base.back();
    return (last == '\\' || last == '/') ? base + relative : base + "\\" + relative;
}

FolderResult CreateFolders(const std::string& base, const std::string& relative) {
    size_t pos = 0;
    while (pos < relative.size()) {
        size_t stop = relative.find('\\', pos);
        if (stop == std::string::npos) stop = relative.size();
        const std::string path = JoinPath(base, relative.substr(0, stop));
        DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
                return FolderResult::kFailed;
            attributes = ::GetFileAttributesA(path.c_str());
        }
        if (attributes == INVALID_FILE_ATTRIBUTES) return FolderResult::kFailed;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return FolderResult::kBlocked;
        pos = stop + 1;
    }
    return FolderResult::kOk;
}

void SetDosFileTime(HANDLE file, uint16_t dosDate, uint16_t dosTime) {
    FILETIME local{}, utc{};
    // An impossible date leaves the file's own time in place.
    if (::DosDateTimeToFileTime(dosDate, dosTime, &local) && ::LocalFileTimeToFileTime(&local, &utc))
        ::SetFileTime(file, nullptr, nullptr, &utc);
}

} // namespace tsln::unzip
