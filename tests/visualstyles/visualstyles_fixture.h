// What the manifest tests share: an application folder of their own and a record of shown paths.
#pragma once
#include "tests/support/test_support.h"
#include "visualstyles/manifest.h"

#include <string>
#include <vector>

namespace vstest {

// Points the application folder (where "programs.log" and the program log go) at a temporary folder for
// the length of a test, and gives a folder to put programs in.
struct Workspace {
    testing::TempDir app{"vsapp"};
    testing::TempDir programs{"vsprog"};
    std::string oldAppFolder;
    Workspace();
    ~Workspace();
    std::string ProgramsLog() const { return app / "programs.log"; }
    // The program log of failures (the test executable's name, ".log").
    std::string FailureLog() const;
};

// Collects the paths shown while the module works.
struct ShownPaths {
    std::vector<std::string> paths;
    tsln::ShowPath Callback() {
        return [this](const std::string& path) { paths.push_back(path); };
    }
};

DWORD Attributes(const std::string& path);
// The read-only, hidden and system bits of `attributes` (Wine reports every file as archived too).
inline DWORD Kept(DWORD attributes) {
    return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}
// Writes a file and gives it attributes (FILE_ATTRIBUTE_NORMAL to leave it plain).
void MakeFile(const std::string& path, const std::string& content = "MZ", DWORD attributes = 0);
void MakeFolder(const std::string& path, DWORD attributes = 0);

// A Unix symbolic link `name` in `folder` pointing at `target`, which Wine shows as a reparse point. Made
// by the Unix "ln" (Wine starts Unix programs, but without a handle to wait on: the result is awaited).
bool MakeUnixLink(const std::string& folder, const std::string& name, const std::string& target);
// Removes such a link (the link only, never what it points at); true once it is gone.
bool RemoveUnixLink(const std::string& folder, const std::string& name);

} // namespace vstest
