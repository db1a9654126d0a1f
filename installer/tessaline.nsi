; TessalineSetup.exe: installs Tessaline into Program Files (or a folder the user picks), registers its
; movie player, adds the Start menu shortcuts and the Add/Remove Programs entry, and writes the
; uninstaller that takes all of it away again.
;
; Defined by the build (installer/CMakeLists.txt): DIST (the built program), OUTFILE, ICON, VERSION
; (as Add/Remove Programs shows it), VERSION_MAJOR, VERSION_MINOR, FILE_VERSION (four numbers),
; SKINS_NSH (the shipped skins, as the ShippedSkins macro), and X64 for the 64-bit flavour.
;
; Two setup programs: TessalineSetup.exe (32-bit, for 32-bit Windows 2000/XP; it refuses 64-bit Windows,
; where a 32-bit Tessaline would write its registry values into the 32-bit view that Winlogon never reads)
; and TessalineSetup-x64.exe (64-bit, for Windows XP x64: the 64-bit Program Files and registry view; a
; 64-bit program cannot start on 32-bit Windows at all).

!ifdef X64
Target amd64-unicode ; the only 64-bit form NSIS has
!else
Unicode false ; the "A" functions, like the program; also lets Windows 9x show the refusal below
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"
!include "x64.nsh"
!include "${SKINS_NSH}"

!define PRODUCT "Tessaline"
!define MAKER "Quillfen"
!define AGENT_CLASS "TessalineAgent"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef X64
InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${MAKER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks a running Tessaline to close through its agent window, as the program itself ends: the agent
; unloads, everything it holds is saved, the process ends. It is never killed: one that does not end
; leaves the user the choice between closing it and retrying, or giving up (a silent run gives up).
!macro CloseRunningProgram un
Function ${un}CloseRunningProgram
  Push $0
  Push $1
  Push $2
  Push $3
  next:
    FindWindow $0 "${AGENT_CLASS}"
    IntCmp $0 0 done
    DetailPrint "Closing the running ${PRODUCT}"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2' ; SYNCHRONIZE
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
    IntCmp $2 0 no_handle
    System::Call 'kernel32::WaitForSingleObject(p r2, i 30000) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
    IntCmp $3 0 next still_running still_running ; WAIT_OBJECT_0: look for another one
  no_handle:
    ; Without a handle on the process, its agent window going is the sign that it ends.
    StrCpy $3 0
  poll:
    IsWindow $0 0 next
    IntOp $3 $3 + 1
    IntCmp $3 300 still_running
    Sleep 100
    Goto poll
  still_running:
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is still running.$\r$\nClose it from its tray icon, then press Retry." \
      /SD IDCANCEL IDRETRY next
    Abort
  done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CloseRunningProgram ""
!insertmacro CloseRunningProgram "un."

Function .onInit
  ; The program runs on Windows 2000 and XP (version 5.x) only, and refuses every other version in
  ; these words; setup refuses the same versions with the same words, before anything is installed.
  System::Call 'kernel32::GetVersion() i .r0'
  IntOp $0 $0 & 0xFF
  ${If} $0 <> 5
    MessageBox MB_OK|MB_ICONSTOP \
      "This software was designed for Windows XP only.$\r$\nIt does not run on any other Windows Operating System!"
    SetErrorLevel 3
    Quit
  ${EndIf}
!ifdef X64
  SetRegView 64
!else
  ${If} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP \
      "This setup program installs the 32-bit ${PRODUCT}.$\r$\nOn 64-bit Windows, run TessalineSetup-x64.exe instead."
    SetErrorLevel 3
    Quit
  ${EndIf}
!endif
FunctionEnd

!ifdef X64
Function un.onInit
  SetRegView 64
FunctionEnd
!endif

Section "Tessaline" SecProgram
  SectionIn RO
  Call CloseRunningProgram

  ; An upgrade only replaces the program's files: the user's settings, lists and Run value stay, and
  ; so do skins the user added to SKINS\.
  SetOutPath "$INSTDIR"
  File "${DIST}/${PRODUCT}.exe"
  File "${DIST}/tsln.dll"
  File "${DIST}/tslnplay.dll"
  File "${DIST}/help.chm"
  SetOutPath "$INSTDIR\SKINS"
  !insertmacro ShippedSkins File "${DIST}/SKINS/"
  SetOutPath "$INSTDIR"

  ClearErrors
  RegDLL "$INSTDIR\tslnplay.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "The movie player $INSTDIR\tslnplay.dll could not be registered.$\r$\n${PRODUCT} cannot show its window without it: run setup again as an administrator." /SD IDOK
    SetErrorLevel 4
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\help.chm"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  Call un.CloseRunningProgram

  ; The program's own clean-up: its keys go and a logon screen of this folder gives way to the
  ; standard one. Pictures, the program log and the desktop bitmap in the user's folder stay.
  DetailPrint "Removing the settings of ${PRODUCT}"
  ${If} ${FileExists} "$INSTDIR\${PRODUCT}.exe"
    ExecWait '"$INSTDIR\${PRODUCT}.exe" -utsln'
  ${EndIf}
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"

  UnRegDLL "$INSTDIR\tslnplay.dll"

  ; Only what setup put here (and the manifests the program may have given its own exes): whatever
  ; else the user keeps in the folder stays, and so does the folder then.
  Delete "$INSTDIR\${PRODUCT}.exe"
  Delete "$INSTDIR\${PRODUCT}.exe.manifest"
  Delete "$INSTDIR\tsln.dll"
  Delete "$INSTDIR\tslnplay.dll"
  Delete "$INSTDIR\help.chm"
  !insertmacro ShippedSkins Delete "$INSTDIR\SKINS\"
  RMDir "$INSTDIR\SKINS"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "$INSTDIR\${UNINSTALLER}.manifest"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
