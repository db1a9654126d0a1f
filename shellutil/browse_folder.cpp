#include "shellutil/browse_folder.h"
#include "core/text.h"
#include "core/unique_any.h"

#include <objbase.h>
#include <shlobj.h>
#include <vector>

namespace tsln {

namespace {
// Selects the folder passed as the callback's data once the dialog is ready.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    try {
        if (message == BFFM_INITIALIZED) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    } catch (...) {
        // Nothing may cross back into the shell's dialog.
    }
    return 0;
}
} // namespace

std::string cBrowseFolder::sFolder() const {
    return TrimSpaces(CutAtNul(sFolder_));
}

std::string cBrowseFolder::ShowBrowse(std::optional<HWND> vnthWnd, std::optional<std::string> vntTitle,
                                      std::optional<std::string> vntFolder) {
    if (vnthWnd) lhWnd_ = *vnthWnd;
    if (vntTitle) sTitle_ = std::move(*vntTitle);
    if (vntFolder) sFolder_ = std::move(*vntFolder);

    // The shell's dialog needs OLE on this thread; a thread that already has it keeps it as it is.
    HRESULT com = OleInitialize(nullptr);
    auto uninitialize = make_scope_exit([com] {
        if (SUCCEEDED(com)) OleUninitialize();
    });

    // Lives until the dialog has closed: the callback hands it to the dialog.
    const std::string start = sFolder();
    std::vector<char> selection(start.begin(), start.end());
    selection.push_back('\0');
    char displayName[MAX_PATH] = {};

    BROWSEINFOA request{};
    request.hwndOwner = lhWnd_;
    request.pidlRoot = nullptr;
    request.pszDisplayName = displayName;
    request.lpszTitle = sTitle_.c_str();
    request.ulFlags = lFlags_;
    request.lpfn = BrowseCallback;
    request.lParam = reinterpret_cast<LPARAM>(selection.data());

    std::string path;
    unique_cotaskmem<ITEMIDLIST> item(SHBrowseForFolderA(&request));
    if (item) {
        char buffer[260] = {};
        if (SHGetPathFromIDListA(item.get(), buffer))
            path = CutAtNul(std::string(buffer, sizeof buffer));
    } else {
        bCancelled_ = true;
    }
    item.reset();

    sFolder_ = path;
    if (sFolder().empty()) {
        bCancelled_ = true;
        return {};
    }
    return sFolder();
}

} // namespace tsln
