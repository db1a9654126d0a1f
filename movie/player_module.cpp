#include "movie/player_module.h"
#include "core/module_unload.h"

namespace tsln::player {
namespace {
// The module's own state, as every in-process server has it: set once at load, and the count of what
// keeps the server loaded.
HINSTANCE gModule = nullptr;
volatile LONG gObjects = 0;
volatile LONG gLocks = 0; // LockServer's own count, kept apart so an unbalanced unlock cannot hide an object
} // namespace

HINSTANCE Module() {
    return gModule;
}

ServerLock::ServerLock() noexcept {
    InterlockedIncrement(&gObjects);
}

ServerLock::~ServerLock() {
    InterlockedDecrement(&gObjects);
}

void LockServer(bool lock) noexcept {
    if (lock) {
        InterlockedIncrement(&gLocks);
        return;
    }
    if (InterlockedDecrement(&gLocks) < 0) InterlockedIncrement(&gLocks);
}

bool CanUnload() noexcept {
    return InterlockedCompareExchange(&gObjects, 0, 0) == 0 && InterlockedCompareExchange(&gLocks, 0, 0) == 0;
}

} // namespace tsln::player

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        tsln::player::gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    if (reason == DLL_PROCESS_DETACH) tsln::ReleaseRuntimeOnUnload(reserved);
    return TRUE;
}
