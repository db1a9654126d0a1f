// What the logging stand-ins for the desktop's openers recorded (see tsln_shell_stand_ins): the web and
// mail links this process handed to the shell.
#pragma once
#include "tests/support/test_support.h"

#include <doctest.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace testing {

// The stand-ins' log as this process sees it (through the Z: drive).
inline std::string ShellLog() {
    const char* unixPath = std::getenv("TSLN_SHELL_LOG");
    REQUIRE_MESSAGE(unixPath != nullptr, "run through ctest, which puts the xdg stand-ins on PATH");
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Waits for the first call the stand-ins record from now on, and returns it ("opener<TAB>arguments").
class ShellCalls {
public:
    ShellCalls() : path_(ShellLog()), snapshot_(path_) { DeleteFileA(path_.c_str()); }
    std::string Next() {
        std::string line;
        PumpUntil([&] {
            std::vector<std::string> lines = Lines(testing::ReadFileBytes(path_));
            if (lines.size() <= taken_) return false;
            line = lines[taken_++];
            return true;
        });
        return line;
    }

private:
    std::string path_;
    testing::FileSnapshot snapshot_;
    size_t taken_ = 0;
};

} // namespace testing
