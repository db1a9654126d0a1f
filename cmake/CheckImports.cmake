# Lists every DLL and function that the exes and DLLs in DIST import, and fails on anything that
# Windows XP SP3 does not provide (Vista-only functions, MinGW runtime DLLs, API sets).
file(GLOB binaries "${DIST}/*.exe" "${DIST}/*.dll")
set(allowed_dlls
  kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll comctl32.dll
  comdlg32.dll msvcrt.dll version.dll msimg32.dll shlwapi.dll winmm.dll hhctrl.ocx uxtheme.dll
  tsln.dll tslnplay.dll)
set(vista_only
  "GetTickCount64" "SRWLock" "ConditionVariable" "InitOnce" "RegGetValue" "RegDeleteTree"
  "SHGetKnownFolderPath" "TaskDialog" "CreateEventEx" "CreateMutexEx" "CreateSemaphoreEx"
  "CreateWaitableTimerEx" "GetFileInformationByHandleEx" "SetFileInformationByHandle"
  "FlsAlloc" "FlsGetValue" "FlsSetValue" "FlsFree" "GetLocaleInfoEx" "LCMapStringEx"
  "CompareStringEx" "GetUserDefaultLocaleName" "InitializeCriticalSectionEx" "GetErrorMode"
  "CreateSymbolicLink" "GetFinalPathNameByHandle" "QueryFullProcessImageName")
set(failures "")
foreach(binary ${binaries})
  execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(APPEND failures "${binary}: objdump failed")
    continue()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${dump}")
  foreach(line ${dlls})
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(FIND allowed_dlls "${dll}" found)
    if(found EQUAL -1)
      list(APPEND failures "${binary}: imports ${dll}")
    endif()
  endforeach()
  foreach(name ${vista_only})
    if(dump MATCHES "[\t ][0-9a-f]*[\t ]+${name}[A-Za-z]*\n")
      list(APPEND failures "${binary}: imports ${name}")
    endif()
  endforeach()
endforeach()
if(failures)
  string(REPLACE ";" "\n  " text "${failures}")
  message(FATAL_ERROR "Imports that Windows XP does not have:\n  ${text}")
endif()
list(LENGTH binaries count)
message(STATUS "Imports of ${count} binaries are all on Windows XP")
