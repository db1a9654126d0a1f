#include "tests/unzip/unzip_test_support.h"

#include "core/app_error.h"
#include "core/unique_any.h"

#include <algorithm>

namespace tsln::test {

std::string DataPath(const std::string& name) {
    return std::string(TSLN_TESTS_DIR "\\unzip\\data\\") + name;
}
std::string CorpusPath(const std::string& name) {
    return std::string(TSLN_TESTS_DIR "\\fuzz\\corpus\\") + name;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    unique_file file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) TSLN_FAIL(tsln::err::kFileNotFound, "cannot open " + path);
    std::vector<uint8_t> bytes(::GetFileSize(file.get(), nullptr));
    DWORD got = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
         got != bytes.size()))
        TSLN_FAIL(tsln::err::kFileNotFound, "cannot read " + path);
    return bytes;
}

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text) {
    unique_file file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    if (!file || !::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr))
        TSLN_FAIL(tsln::err::kPathNotFound, "cannot write " + path);
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {
void Collect(const std::string& folder, const std::string& prefix, std::vector<std::string>& out) {
    WIN32_FIND_DATAA found{};
    unique_find find(::FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(prefix + name + "\\");
            Collect(folder + "\\" + name, prefix + name + "\\", out);
        } else {
            out.push_back(prefix + name);
        }
    } while (::FindNextFileA(find.get(), &found));
}
} // namespace

std::vector<std::string> ListTree(const std::string& folder) {
    std::vector<std::string> out;
    Collect(folder, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

void DeleteTree(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found{};
    {
        unique_find find(::FindFirstFileA((path + "\\*").c_str(), &found));
        if (find) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..") DeleteTree(path + "\\" + name);
            } while (::FindNextFileA(find.get(), &found));
        }
    }
    ::RemoveDirectoryA(path.c_str());
}

TempFolder::TempFolder() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string base =
        std::string(temp) + "tsln-unzip-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (unsigned n = 0; n < 10000; ++n) {
        path_ = base + std::to_string(n);
        if (::CreateDirectoryA(path_.c_str(), nullptr)) return;
    }
    TSLN_FAIL(tsln::err::kPathNotFound, "cannot create a temp folder");
}

TempFolder::~TempFolder() {
    DeleteTree(path_);
}

} // namespace tsln::test
