# The i686 flavour: 32-bit Windows 2000/XP, cross-compiled with MinGW-w64 (win32 thread model).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TSLN_FLAVOUR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
