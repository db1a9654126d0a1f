// The agent alone in a process of its own, loaded as at log-on and held to one road of watching the shell
// (built as bench_agent_events and bench_agent_poll, by TSLN_WATCH_EVENTS): what bench_agent_idle
// measures each road with, whatever the platform's own probe would choose. WM_CLOSE to the agent ends it.
#include "core/window.h"
#include "rotation/frm_logo.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tsln::frmLogo::Load(instance, "-s", {});
    tsln::frmLogo* agent = tsln::frmLogo::Instance();
    if (agent == nullptr) return 1;
#ifdef TSLN_WATCH_EVENTS
    agent->WatchShellBy(tsln::frmLogo::ShellWatch::Events);
#else
    agent->WatchShellBy(tsln::frmLogo::ShellWatch::Poll);
#endif
    return tsln::RunMessageLoop();
}
