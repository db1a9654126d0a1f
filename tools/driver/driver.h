// Drives the real Tessaline.exe: starts it in a chosen Windows version, reads and answers its message
// boxes (the platform's and its own skinned one), finds its agent and main windows and tells how the
// process ended.
#pragma once
#include "core/unique_any.h"
#include "tests/support/box_driver.h"

#include <windows.h>
#include <string>
#include <vector>

namespace tsdriver {

using testing::BoxInfo;

// The first top-level window of the process with that class (shown or not), or null.
HWND FindWindowOf(DWORD pid, const char* className);

// Sets the Windows version Wine reports to one executable (by file name) and restores the previous
// setting when it goes.
class ScopedWinVersion {
public:
    ScopedWinVersion(const std::string& exeName, const std::string& version);
    ~ScopedWinVersion();
    ScopedWinVersion(const ScopedWinVersion&) = delete;
    ScopedWinVersion& operator=(const ScopedWinVersion&) = delete;

private:
    std::string keyPath_;
    bool keyExisted_ = false;
    bool hadValue_ = false;
    std::string oldValue_;
    bool active_ = false;
};

class Process {
public:
    // Starts `exe` with the argument text `args` (appended after the quoted program name).
    static Process Start(const std::string& exe, const std::string& args);

    DWORD Id() const { return id_; }
    bool Running() const;
    // Waits for the process to end; false on time-out.
    bool WaitExit(DWORD timeoutMs) const;
    DWORD ExitCode() const;
    void Kill() const;

    // The first message box (class #32770, or the program's skinned "TessalineMsgBox") the process
    // shows, or null.
    HWND FindBox() const;
    // The agent window of the process (hidden, class "TessalineAgent"), or null.
    HWND FindAgent() const;
    // The main window of the process (class "TessalineMain"), or null.
    HWND FindMain() const;
    // Waits until a box shows, the agent exists or the process ends; returns the box if one showed.
    HWND WaitBoxOrAgent(DWORD timeoutMs) const;
    // Asks the agent to unload and waits for the process to end.
    bool CloseAgent(DWORD timeoutMs) const;

private:
    tsln::unique_handle process_;
    DWORD id_ = 0;
};

struct RunOptions {
    std::string exe;
    std::string args;
    std::string winVersion; // empty: leave the prefix's version
    int button = IDOK;      // pressed on every box
    bool closeAgent = true; // once the agent runs, unload it and wait for the end
    DWORD timeoutMs = 30000;
};

struct RunResult {
    std::vector<BoxInfo> boxes;
    bool agentSeen = false; // the program reached its running state
    bool exited = false;
    DWORD exitCode = 0;
    bool timedOut = false;
    bool stillRunning = false; // left running (closeAgent = false)
};

// Runs the exe to its end (or to its running state), answering every box.
RunResult Run(const RunOptions& options);

// Escapes CR and LF so that a text fits one line.
std::string OneLine(const std::string& text);

} // namespace tsdriver
