// Hands documents, web addresses, mail and help to the shell.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace tsln {

// Opens a file, folder or web address with its associated program. Returns the shell's result (greater
// than 32 means success; 32 or less is not reported), 0 after a reported failure.
int32_t StartDoc(const std::string& path);

// Opens the user's mail program on a message to `address`. Subject and body must already be fit for a
// mail link (line breaks written as "%0D%0A"). Failures pass to the caller.
void MailTo(const std::string& address, const std::string& subject, const std::string& body);

// Opens the program's help file (HelpFile()) for `window`, or closes every help window when `close` is
// true. Returns the help window the platform reports (null when none opened). Failures pass to the caller.
HWND ShowHelp(HWND window, bool close);

// The working folder StartDoc uses: `path` up to and including its last "\", empty when it has none.
std::string WorkingFolderOf(const std::string& path);

// The link MailTo hands to the shell.
std::string MailLink(const std::string& address, const std::string& subject, const std::string& body);

} // namespace tsln
