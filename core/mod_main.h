// Start-up and the small shared helpers of the whole program.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

namespace tsln {

// Exit codes of the process.
constexpr int kExitNormal = 0;
constexpr int kExitRefused = 1;
// Main loaded the agent: the message loop runs until it is unloaded.
constexpr int kRunAgent = -1;

// The per-user application folder, always ending in "\" (empty until start-up sets it).
const std::string& AppFolder();
void SetAppFolder(std::string folder);

// The help file that ShowHelp opens.
const std::string& HelpFile();
void SetHelpFile(std::string path);

// The folder that holds the running executable, without a trailing "\" (except at a drive's root).
std::string ProgramFolder();
// The executable's file name without its folder and without ".exe".
std::string ExeBaseName();

std::string AddBackslash(const std::string& path);
bool FileExists(const std::string& path);
// Writes all `size` bytes to an open file or raises the platform's failure (a short write counts as a
// full disk).
void WriteAll(HANDLE file, const void* data, size_t size);

// The name of a Windows version by major version, platform id and minor version.
std::string OSVersionName(DWORD major, DWORD platformId, DWORD minor);
// The name of the running Windows version; empty (after a shown report) when it cannot be read.
std::string OSVersion();

// The argument text of a command line: everything after the program name, leading blanks dropped.
std::string ArgumentText(const std::string& commandLine);

// The path of a shell special folder (a CSIDL number), cut at its first NUL and trimmed; empty when the
// shell cannot resolve it.
std::string SpecialFolderPath(int csidl);

// The shell's per-user application-data folder; empty when it cannot be resolved.
std::string UserAppDataFolder();

// Places `dialog` over `mainWindow` as the dialogs do when they load (in twips, whole numbers).
void CenterOverMain(HWND dialog, HWND mainWindow);

// What start-up needs of the libraries above core. The entry point passes it in, so that core depends on
// nothing else of ours.
struct StartupParts {
    // Loads the agent window that keeps the process alive (the argument text tells how the program was
    // started); raises a failure when it cannot.
    std::function<void(HINSTANCE instance, const std::string& argumentText)> loadAgent;
    // The class id ("{...}") of the movie player the main window hosts, tested by CheckPrerequisites.
    std::string playerClassId;
};

// The process entry: returns the exit code when start-up ends the process, or runs the agent's message
// loop and returns when the agent is unloaded.
int Main(HINSTANCE instance, const std::string& argumentText, const StartupParts& parts);

// The three machine checks; false (after the message) when one fails and the process must end.
bool CheckPrerequisites(const std::string& playerClassId);
// The clean-up of "-utsln".
void RemoveProgramData();

} // namespace tsln
