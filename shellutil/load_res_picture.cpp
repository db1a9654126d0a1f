#include "shellutil/load_res_picture.h"
#include "core/text.h"
#include "core/app_error.h"
#include "core/mod_main.h"

#include <windows.h>
#include <vector>

namespace tsln {

namespace {
// Platform codes of the temporary-file steps are raised or'ed with this.
constexpr int32_t kTempFailureBase = 10000;

[[noreturn]] void RaiseTempFailure(DWORD code, int line) {
    // The description is the system's text as it formats it, line break included.
    throw AppError(static_cast<int32_t>(code) | kTempFailureBase,
                   SystemErrorText(code, ErrorTextEnd::AsFormatted), ExeBaseName() + ".cAniCursor", line);
}

std::string TempFolder() {
    char folder[260] = {};
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0) RaiseTempFailure(GetLastError(), __LINE__);
    return CutAtNul(std::string(folder, sizeof folder));
}

// Creates an empty file with a unique name and the prefix "LRP" in the temporary folder. The name is
// handed out before a failure is raised, so that whatever was created can be deleted.
void CreateTempFile(std::string& name) {
    const std::string folder = TempFolder();
    char buffer[MAX_PATH + 1] = {};
    SetLastError(0);
    GetTempFileNameA(folder.c_str(), "LRP", 0, buffer);
    DWORD code = GetLastError();
    name = CutAtNul(std::string(buffer, sizeof buffer));
    if (code != 0) RaiseTempFailure(code, __LINE__);
}

void DeleteIgnoringFailure(const std::string& path) {
    // The file may never have been created or may already be gone: nothing to do either way.
    if (!path.empty()) DeleteFileA(path.c_str());
}

std::string ResourceBytes(int number, const std::string& type) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = nullptr;
    // Numbers outside 1..65535 are no resource numbers at all.
    if (number > 0 && number <= 0xFFFF) found = FindResourceA(module, MAKEINTRESOURCEA(number), type.c_str());
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!data) TSLN_FAIL(err::kResourceNotFound, std::to_string(number));
    return std::string(data, SizeofResource(module, found));
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    unique_file file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw Win32Failure(GetLastError(), __LINE__);
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        throw Win32Failure(GetLastError(), __LINE__);
    if (written != bytes.size()) throw Win32Failure(ERROR_WRITE_FAULT, __LINE__);
}

} // namespace

unique_picture cLoadResPicture::LoadResPicture(int number, const std::string& type) const {
    std::string tempFile;
    try {
        const std::string bytes = ResourceBytes(number, type);
        CreateTempFile(tempFile);
        WriteBytes(tempFile, bytes);
        unique_picture picture = LoadPictureFile(tempFile);
        DeleteIgnoringFailure(tempFile);
        return picture;
    } catch (...) {
        // The file handles are closed by now; the file itself must not outlive the failure.
        DeleteIgnoringFailure(tempFile);
        AppError failure = CurrentFailure();
        throw AppError(failure.number, failure.description, ExeBaseName() + ".cLoadResPicture", failure.line);
    }
}

} // namespace tsln
