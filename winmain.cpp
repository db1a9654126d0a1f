// The process entry point: wires the agent, the main window and the movie control's class id into the
// start-up.
#include "core/mod_main.h"
#include "core/window.h"
#include "rotation/frm_logo.h"
#include "movie/player_contract.h"
#include "ui/main/frm_main.h"

#include <windows.h>
#include <ole2.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The main window hosts the movie player, an in-process COM object of this thread.
    const bool com = SUCCEEDED(OleInitialize(nullptr));
    tsln::StartupParts parts;
    parts.loadAgent = [](HINSTANCE agentInstance, const std::string& argumentText) {
        tsln::frmLogo::Load(agentInstance, argumentText,
                            tsln::AgentHost{[agentInstance] { tsln::frmMain::Show(agentInstance); }});
    };
    parts.playerClassId = TSLN_PLAYER_CLSID_TEXT;
    int code = tsln::Main(instance, tsln::ArgumentText(GetCommandLineA()), parts);
    if (code == tsln::kRunAgent) code = tsln::RunMessageLoop();
    // The agent has gone: the main window goes with it, storing the skin and its place.
    tsln::frmMain::Unload();
    if (com) OleUninitialize();
    return code;
}
