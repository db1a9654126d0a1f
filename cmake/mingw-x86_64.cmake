# The x86_64 flavour: Windows XP x64 and Server 2003 x64, cross-compiled with MinGW-w64 (win32 thread model).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TSLN_FLAVOUR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
