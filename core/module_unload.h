// For our DLLs, each of which carries its own copy of the C++ runtime: that runtime sets aside an
// emergency exception pool (about 73 KB on 64-bit, 36 KB on 32-bit) when the DLL is loaded and never frees
// it, so a host that loads and unloads the DLL again and again (tsln.dll is loaded for each skin read)
// would lose that much each time. Header only: the DLLs link nothing of core.
#pragma once

namespace __gnu_cxx {
void __freeres() noexcept; // the runtime's own release of that pool
} // namespace __gnu_cxx

namespace tsln {

// Call from DllMain's DLL_PROCESS_DETACH with its third argument: an unload by FreeLibrary (null)
// frees the pool; at the end of the process there is nothing to give back.
inline void ReleaseRuntimeOnUnload(const void* reserved) noexcept {
    if (reserved == nullptr) __gnu_cxx::__freeres();
}

} // namespace tsln
