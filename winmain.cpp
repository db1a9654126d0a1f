// The process entry point: wires the agent and the movie control's class id into the start-up.
#include "core/mod_main.h"
#include "core/window.h"
#include "rotation/frm_logo.h"
#include "shellutil/movie_control.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tsln::StartupParts parts;
    parts.loadAgent = [](HINSTANCE agentInstance, const std::string& argumentText) {
        tsln::AgentHost host; // host.showMainWindow: the main window's Show
        tsln::frmLogo::Load(agentInstance, argumentText, std::move(host));
    };
    parts.playerClassId = TSLN_PLAYER_CLSID_TEXT;
    int code = tsln::Main(instance, tsln::ArgumentText(GetCommandLineA()), parts);
    if (code == tsln::kRunAgent) code = tsln::RunMessageLoop();
    return code;
}
