#include "shellutil/open_save.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/text.h"
#include "core/unique_any.h"

#include <commdlg.h>
#include <shlobj.h>
#include <algorithm>
#include <cstddef>

namespace tsln {

namespace {
// The request record without the trailing extension fields that Windows 2000 added: the form every
// version takes. 76 bytes in a 32-bit program, 136 in a 64-bit one (a 64-bit dialog given 76 never opens).
constexpr DWORD kRecordSize = offsetof(OPENFILENAMEA, pvReserved); // OPENFILENAME_SIZE_VERSION_400A
#ifdef _WIN64
static_assert(kRecordSize == 136, "the 64-bit record's size");
#else
static_assert(kRecordSize == 76, "the 32-bit record's size");
#endif
constexpr size_t kTitleBufferSize = 260;

const char* TextOrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}
} // namespace

clsOpenSave::clsOpenSave() {
    SetFilter("All Files (*.*)|*.*");
}

std::string clsOpenSave::Filter() const {
    std::string text = filter_;
    std::replace(text.begin(), text.end(), '\0', '|');
    text.erase(text.find_last_not_of('|') + 1);
    return text;
}

void clsOpenSave::SetFilter(const std::string& value) {
    filter_ = value;
    std::replace(filter_.begin(), filter_.end(), '|', '\0');
    filter_.append(2, '\0');
}

void clsOpenSave::ShowOpen() {
    if (fileName_.size() > maxFileSize_) TSLN_FAIL(err::kInvalidCall);
    std::string file = fileName_;
    file.resize(size_t(maxFileSize_) + 1, '\0');
    // The proposed title with room for what the dialog writes; the buffer always holds 260 characters
    // and a NUL, whatever the proposal's length.
    std::string title = fileTitle_ + std::string(256, ' ');
    title.resize(std::max(title.size(), kTitleBufferSize) + 1, '\0');

    OPENFILENAMEA request{};
    request.lStructSize = kRecordSize;
    request.hwndOwner = hWnd_;
    request.lpstrFilter = Filter().empty() ? nullptr : filter_.c_str();
    request.nFilterIndex = filterIndex_;
    request.lpstrFile = &file[0];
    request.nMaxFile = maxFileSize_;
    request.lpstrFileTitle = &title[0];
    request.nMaxFileTitle = kTitleBufferSize;
    request.lpstrInitialDir = TextOrNull(initDir_);
    request.lpstrTitle = TextOrNull(dialogTitle_);
    request.Flags = flags_;
    request.lpstrDefExt = TextOrNull(defaultExt_);

    if (!GetOpenFileNameA(&request)) {
        if (cancelError_) fileName_.clear();
        return;
    }
    flags_ = request.Flags;
    filterIndex_ = static_cast<uint16_t>(request.nFilterIndex);
    fileExt_ = request.nFileExtension;
    fileName_ = CutAtNul(file);
    fileTitle_ = CutAtNul(title);
    filter_ = TrimSpaces(filter_);
    initDir_ = TrimSpaces(initDir_);
}

std::string clsOpenSave::FindSystemFolder(long lngNum) const {
    try {
        char path[260] = {};
        UINT length = 0;
        if (lngNum == 80 || lngNum == 81) {
            length = lngNum == 80 ? GetWindowsDirectoryA(path, sizeof path)
                                  : GetSystemDirectoryA(path, sizeof path);
            // A length beyond the buffer is the size it would need: nothing was written.
            return length < sizeof path ? std::string(path, length) : std::string();
        }
        return SpecialFolderPath(static_cast<int>(lngNum));
    } catch (...) {
        HandleFailure("Tessaline.clsOpenSave.FindSystemFolder", kShown);
        return {};
    }
}

} // namespace tsln
