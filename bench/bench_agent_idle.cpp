// The agent idle in the tray against a bare message loop, in one run.
//
// Run after building the target bench_agent_idle (it brings the program and both loops), under X in a
// prefix set to Windows XP (the tests' prefix, for example):
//     xvfb-run -a wine build/FLAVOUR/bench/bench_agent_idle.exe
// It starts the real Tessaline.exe with "-s" (no schedule: both intervals "never", so only the 100 ms
// Start-menu poll runs), the bare loop and the same loop woken every 100 ms side by side, lets them
// settle, and measures them over 60 seconds: processor time (user + kernel, from the process times) and
// private bytes. The ticking loop shows what the poll's wake-ups alone cost on the platform. Goals:
//     agent processor time <= 0.1 % of one core; agent private bytes <= 1.5 x the bare loop's + 2 MB.
// The program's keys, the Run key and the player's registration are put back as found.
#include "bench/bench_clock.h"
#include "bench/process_counts.h"
#include "core/clsSetari.h"
#include "core/unique_any.h"
#include "movie/player_contract.h"
#include "tests/startup/startup_fixture.h"
#include "tests/support/test_support.h"
#include "tools/driver/driver.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr DWORD kSettleMs = 3000;
constexpr DWORD kMeasureMs = 60000;

// The player registered while it lives (as installed), and as it was found afterwards.
class PlayerRegistered {
public:
    PlayerRegistered()
        : registered_(
              testing::KeyExists(HKEY_CLASSES_ROOT, std::string("CLSID\\") + TSLN_PLAYER_CLSID_TEXT)) {
        if (!registered_) startup::CallPlayer("DllRegisterServer");
    }
    ~PlayerRegistered() {
        if (!registered_) startup::CallPlayer("DllUnregisterServer");
    }

private:
    bool registered_;
};

tsln::unique_handle Open(DWORD pid) {
    return tsln::unique_handle(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
}
} // namespace

int main(int argc, char** argv) {
    // A shorter measure for a quick look: bench_agent_idle SECONDS.
    const DWORD measureMs = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) * 1000 : kMeasureMs;
    testing::RegTreeSnapshot user(HKEY_CURRENT_USER, "Software\\Quillfen");
    testing::RegTreeSnapshot machine(HKEY_LOCAL_MACHINE, "Software\\Quillfen");
    testing::RegTreeSnapshot run(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    PlayerRegistered player;
    {
        tsln::clsSetari settings;
        settings.SetWInterval("never");
        settings.SetLInterval("never");
    }

    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder = self;
    folder = folder.substr(0, folder.find_last_of('\\'));
    const std::string bareExe = folder + "\\bench_bare_loop.exe";
    const std::string agentExe = testing::DistDir() + "\\Tessaline.exe";
    const tsdriver::Process bare = tsdriver::Process::Start(bareExe, "");
    // The same loop woken as often as the agent's Start-menu poll: what the wake-ups alone cost here.
    const std::string tickingExe = folder + "\\bench_ticking_loop.exe";
    const tsdriver::Process ticking = tsdriver::Process::Start(tickingExe, "");
    const tsdriver::Process agent = tsdriver::Process::Start(agentExe, "-s");
    if (!agent.Id() || !bare.Id() || !ticking.Id()) {
        std::printf("cannot start the programs\n");
        return 1;
    }
    if (agent.WaitBoxOrAgent(30000) != nullptr || agent.FindAgent() == nullptr) {
        std::printf("the agent did not start in the tray\n");
        agent.Kill();
        bare.Kill();
        ticking.Kill();
        return 1;
    }
    Sleep(kSettleMs);
    const tsln::unique_handle agentProcess = Open(agent.Id());
    const tsln::unique_handle bareProcess = Open(bare.Id());
    const tsln::unique_handle tickingProcess = Open(ticking.Id());

    const double agentFrom = bench::ProcessorMs(agentProcess.get(), agentExe);
    const double bareFrom = bench::ProcessorMs(bareProcess.get(), bareExe);
    const double tickingFrom = bench::ProcessorMs(tickingProcess.get(), tickingExe);
    const double wallFrom = bench::NowMs();
    Sleep(measureMs);
    const double wall = bench::NowMs() - wallFrom;
    const double agentCpu = bench::ProcessorMs(agentProcess.get(), agentExe) - agentFrom;
    const double bareCpu = bench::ProcessorMs(bareProcess.get(), bareExe) - bareFrom;
    const double tickingCpu = bench::ProcessorMs(tickingProcess.get(), tickingExe) - tickingFrom;
    const unsigned long agentPrivate = bench::PrivateBytes(agentProcess.get());
    const unsigned long barePrivate = bench::PrivateBytes(bareProcess.get());

    agent.CloseAgent(20000);
    while (HWND window = FindWindowA("TslnBareLoop", nullptr)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (!testing::WaitFor([&] { return !IsWindow(window); }, 10000)) break;
    }
    bare.WaitExit(10000);
    ticking.WaitExit(10000);
    agent.Kill();
    bare.Kill();
    ticking.Kill();

    const double agentShare = 100.0 * agentCpu / wall;
    const double limit = 1.5 * barePrivate + 2.0 * 1024 * 1024;
    std::printf("idle in the tray over %.1f s (processor time from %.0f ms / %.0f ms)\n", wall / 1000.0,
                agentFrom, bareFrom);
    std::printf("processor time: agent %.1f ms = %.3f %% of one core (goal <= 0.1 %%); bare loop %.1f ms = "
                "%.3f %%\n",
                agentCpu, agentShare, bareCpu, 100.0 * bareCpu / wall);
    std::printf("the bare loop woken every 100 ms and doing nothing: %.1f ms = %.3f %%\n", tickingCpu,
                100.0 * tickingCpu / wall);
    std::printf(
        "private bytes: agent %lu KB, bare loop %lu KB, ratio %.2f; goal <= 1.5 x bare + 2 MB = %.0f KB\n",
        agentPrivate / 1024, barePrivate / 1024, barePrivate ? double(agentPrivate) / barePrivate : 0.0,
        limit / 1024);
    const bool met = agentShare <= 0.1 && agentPrivate <= limit;
    std::printf("%s\n", met ? "goals met" : "GOALS MISSED");
    return met ? 0 : 1;
}
