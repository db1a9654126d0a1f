// What tslnplay.dll knows about itself: its module handle and whether it may be unloaded.
#pragma once
#include <windows.h>

namespace tsln::player {

HINSTANCE Module();

// Held by every live object of the server (the class factory included): while one exists, or while a
// client holds the server locked, DllCanUnloadNow answers S_FALSE.
class ServerLock {
public:
    ServerLock() noexcept;
    ~ServerLock();
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;
};

// IClassFactory::LockServer.
void LockServer(bool lock) noexcept;
bool CanUnload() noexcept;

} // namespace tsln::player
