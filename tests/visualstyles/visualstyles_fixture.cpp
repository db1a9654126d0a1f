#include "tests/visualstyles/visualstyles_fixture.h"
#include "core/mod_main.h"
#include "core/error_report.h"

#include <doctest.h>

namespace vstest {

Workspace::Workspace() : oldAppFolder(tsln::AppFolder()) {
    tsln::SetAppFolder(app.Path() + "\\");
}

Workspace::~Workspace() {
    tsln::SetAppFolder(oldAppFolder);
}

std::string Workspace::FailureLog() const {
    return tsln::LogFilePath();
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

void MakeFile(const std::string& path, const std::string& content, DWORD attributes) {
    REQUIRE(testing::WriteFileBytes(path, content));
    if (attributes != 0) REQUIRE(SetFileAttributesA(path.c_str(), attributes));
}

void MakeFolder(const std::string& path, DWORD attributes) {
    REQUIRE(CreateDirectoryA(path.c_str(), nullptr));
    if (attributes != 0) REQUIRE(SetFileAttributesA(path.c_str(), attributes));
}

namespace {
bool StartUnix(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info))
        return false;
    tsln::unique_handle process(info.hProcess), thread(info.hThread);
    return true;
}

bool IsLink(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
} // namespace

bool MakeUnixLink(const std::string& folder, const std::string& name, const std::string& target) {
    if (!StartUnix("/bin/ln -s " + target + " " + name, folder)) return false;
    return testing::WaitFor([&] { return IsLink(folder + "\\" + name); });
}

bool RemoveUnixLink(const std::string& folder, const std::string& name) {
    std::string path = folder + "\\" + name;
    if (!IsLink(path)) return !testing::PathExists(path);
    if (!StartUnix("/bin/rm -f " + name, folder)) return false;
    return testing::WaitFor([&] { return !testing::PathExists(path); });
}

} // namespace vstest
