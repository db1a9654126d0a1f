// Logon screens: the test that tells one, the machine's "UIHost" value that names the one in force, and
// the screenshot that sits beside it.
#pragma once
#include <string>

namespace tsln {

// The value of "UIHost" for the standard logon program.
constexpr const char* kStandardLogonUI = "LOGONUI.EXE";

// True when the file's version resource names it "logonui.exe" (in any letter case), whatever the file
// is stored as. A file without a version resource is none. Failures of reading pass to the caller.
bool IsLogonScreen(const std::string& path);

// Writes "UIHost" under HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon"
// (made when missing); false when the write is refused, as it is without administrator rights.
bool WriteUIHost(const std::string& program);

// The first file of `folder` whose name ends in ".gif" or ".jpg" (in any letter case), in the order the
// file system lists them; sub-folders and system files are passed over. Empty when there is none.
std::string FindScreenshot(const std::string& folder);

} // namespace tsln
