#include "core/launcher.h"
#include "core/app_error.h"
#include "core/mod_main.h"

#include <shellapi.h>

namespace tsln {
namespace {

// HTML Help commands.
constexpr UINT kHhDisplayTopic = 0;
constexpr UINT kHhCloseAll = 18;

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// HtmlHelpA, loaded on first use so that the program does not import the help viewer. The library stays
// loaded for the life of the process: open help windows run its code.
HtmlHelpProc HtmlHelpEntry() {
    HMODULE viewer = GetModuleHandleA("hhctrl.ocx");
    if (viewer == nullptr) viewer = LoadLibraryA("hhctrl.ocx");
    if (viewer == nullptr) TSLN_FAIL(err::kDllLoad);
    auto entry = reinterpret_cast<HtmlHelpProc>(GetProcAddress(viewer, "HtmlHelpA"));
    if (entry == nullptr) TSLN_FAIL(err::kDllEntry);
    return entry;
}

bool StartsWithMailto(const std::string& link) {
    static const char prefix[] = "mailto:";
    if (link.size() < 7) return false;
    for (size_t i = 0; i < 7; ++i) {
        char c = link[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

} // namespace

std::string WorkingFolderOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string MailLink(const std::string& address, const std::string& subject, const std::string& body) {
    std::string link = StartsWithMailto(address) ? address : "mailto:" + address;
    if (!subject.empty()) link += "?subject=" + subject;
    if (!body.empty()) link += (subject.empty() ? "?" : "&") + std::string("body=") + body;
    return link;
}

int32_t StartDoc(const std::string& path) {
    try {
        const std::string folder = WorkingFolderOf(path);
        HINSTANCE result =
            ShellExecuteA(GetDesktopWindow(), "open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
        return static_cast<int32_t>(reinterpret_cast<INT_PTR>(result));
    } catch (...) {
        HandleFailure("Tessaline.modMain.StartDoc", kShown);
        return 0;
    }
}

void MailTo(const std::string& address, const std::string& subject, const std::string& body) {
    const std::string link = MailLink(address, subject, body);
    ShellExecuteA(nullptr, "open", link.c_str(), nullptr, nullptr, SW_SHOW);
}

HWND ShowHelp(HWND window, bool close) {
    HtmlHelpProc htmlHelp = HtmlHelpEntry();
    if (close) return htmlHelp(window, "", kHhCloseAll, 0);
    return htmlHelp(window, HelpFile().c_str(), kHhDisplayTopic, 0);
}

} // namespace tsln
