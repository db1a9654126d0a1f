#include "shellutil/file_version_info.h"
#include "core/app_error.h"
#include "shellutil/version_text.h"

#include <windows.h>
#include <cstring>
#include <vector>

namespace tsln {

namespace {
constexpr WORD kUsEnglish = 0x0409;

// The resource's names of the string entries, in the order of the entry numbers from 1.
const char* const kEntryNames[] = {
    "Comments",       "CompanyName",     "FileDescription",  "FileVersion",     "InternalName",
    "LegalCopyright", "LegalTrademarks", "OriginalFilename", "ProductName",     "ProductVersion",
    "PrivateBuild",   "SpecialBuild",    "LegalTrademarks1", "LegalTrademarks2"};

// A string entry of the resource: its single-byte text up to the first NUL; empty when the resource
// does not have it.
std::string QueryText(const std::vector<char>& resource, const std::string& name) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(resource.data(), name.c_str(), &value, &length) || value == nullptr || length == 0)
        return {};
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}
} // namespace

void CFileVersionInfo::SetFullPathName(const std::string& path) {
    std::vector<char> buffer(MAX_PATH);
    DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length >= buffer.size()) {
        // A longer path than the usual buffer holds: ask again with the room the platform named.
        buffer.resize(length);
        length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length >= buffer.size()) length = 0;
    }
    if (length == 0) return;
    fullPathName_.assign(buffer.data(), length);
    Refresh();
}

void CFileVersionInfo::Refresh() {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(fullPathName_.c_str(), &ignored);
    if (size == 0) {
        available_ = false;
        return;
    }
    available_ = true;
    std::vector<char> resource(size);
    if (!GetFileVersionInfoA(fullPathName_.c_str(), 0, size, resource.data()))
        throw Win32Failure(GetLastError(), __LINE__);

    VS_FIXEDFILEINFO fixed = {};
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(resource.data(), "\\", &value, &length) && value != nullptr)
        std::memcpy(&fixed, value, length < sizeof fixed ? length : sizeof fixed);
    verStructure_ = StructureVersionText(fixed.dwStrucVersion);
    verFile_ = VersionText(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    verProduct_ = VersionText(fixed.dwProductVersionMS, fixed.dwProductVersionLS);
    fileFlags_ = FileFlagsText(fixed.dwFileFlags);
    fileOS_ = FileOSText(fixed.dwFileOS);
    fileType_ = FileTypeText(fixed.dwFileType);
    FileSubTypeText(fixed.dwFileType, fixed.dwFileSubtype, fileSubType_);

    value = nullptr;
    length = 0;
    if (!VerQueryValueA(resource.data(), "\\VarFileInfo\\Translation", &value, &length) || value == nullptr ||
        length < sizeof(DWORD))
        return;
    DWORD translation;
    std::memcpy(&translation, value, sizeof translation);
    const WORD languageId = LOWORD(translation);
    const WORD codePage = HIWORD(translation);

    char name[256] = {};
    DWORD nameLength = VerLanguageNameA(languageId, name, sizeof name);
    language_.assign(name, nameLength < sizeof name ? nameLength : 0);

    std::string prefix = StringTablePrefix(languageId, codePage);
    strings_[kCompanyName] = QueryText(resource, prefix + "CompanyName");
    if (strings_[kCompanyName].empty()) {
        // Many resources name a language in their translation table but keep their strings under
        // US English only.
        const std::string english = StringTablePrefix(kUsEnglish, codePage);
        std::string company = QueryText(resource, english + "CompanyName");
        if (!company.empty()) {
            prefix = english;
            strings_[kCompanyName] = company;
        }
    }
    for (int entry = kComments; entry < kEntryCount; ++entry)
        if (entry != kCompanyName) strings_[entry] = QueryText(resource, prefix + kEntryNames[entry - 1]);
}

std::string CFileVersionInfo::PredefinedName(int which) const {
    return PredefinedEntryName(which);
}

std::string CFileVersionInfo::PredefinedValue(int which) const {
    if (which == 0) return language_;
    if (which > 0 && which < kEntryCount) return strings_[which];
    return {};
}

} // namespace tsln
