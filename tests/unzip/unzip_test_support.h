// Helpers for the unzip tests: test data paths, real temp folders, reading files and folder trees.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tsln::test {

// A checked-in archive: tests/unzip/data/<name> or tests/fuzz/corpus/<name>.
std::string DataPath(const std::string& name);
std::string CorpusPath(const std::string& name);

std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);

// Every file and folder below `folder`, relative, sorted; folders end with "\".
std::vector<std::string> ListTree(const std::string& folder);

void DeleteTree(const std::string& path);

// A fresh, empty folder in the temp folder, deleted with everything in it at the end of the scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

} // namespace tsln::test
