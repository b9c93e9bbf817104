; Setup program of Sweepkit Lumo: installs the program, its two command-line tools, the shipped
; configuration and the help file into Program Files, adds a Start Menu shortcut and registers an
; uninstaller under Add/Remove Programs. The same script builds the 32-bit setup that ships and a
; 64-bit one that the tests install under Wine.
;
; installer/CMakeLists.txt runs makensis with these defines:
;   ARCH             x86 or x64
;   VERSION          the program's version, such as 3.2.19
;   OUTFILE          the setup program to write
;   SRC_PROGRAM, SRC_LUMO, SRC_LUMO_CONFIG, SRC_CONFIG, SRC_HELP   the files to install
;
; Command line: /S installs or uninstalls silently; /D=folder chooses the folder of a silent
; install. The uninstaller keeps the activity logs unless the user agrees to remove them, or, when
; silent, unless /REMOVELOGS is given.

!ifndef ARCH | VERSION | OUTFILE | SRC_PROGRAM | SRC_LUMO | SRC_LUMO_CONFIG | SRC_CONFIG | SRC_HELP
  !error "makensis needs -DARCH, -DVERSION, -DOUTFILE and the five -DSRC_ files"
!endif

!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Sweepkit Lumo"
!define PUBLISHER "Tallowin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_PARENT "Software\${PUBLISHER}"
!define SETTINGS_KEY "${SETTINGS_PARENT}\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define STARTMENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The installed files, in one place so that the uninstaller removes exactly what was installed.
!macro InstalledFiles _ACTION
  !insertmacro ${_ACTION} "${SRC_PROGRAM}" "SweepkitLumo.exe"
  !insertmacro ${_ACTION} "${SRC_LUMO}" "lumo.exe"
  !insertmacro ${_ACTION} "${SRC_LUMO_CONFIG}" "lumo-config.exe"
  !insertmacro ${_ACTION} "${SRC_CONFIG}" "PrivacyConfig.dat"
  !insertmacro ${_ACTION} "${SRC_HELP}" "SweepkitHelp.chm"
!macroend
!macro InstallFile _SOURCE _NAME
  File "/oname=${_NAME}" "${_SOURCE}"
!macroend
!macro RemoveFile _SOURCE _NAME
  Delete "$INSTDIR\${_NAME}"
!macroend

; The 64-bit program reads and writes the 64-bit registry; the 32-bit one its own view, which
; the 32-bit setup sees by default.
!macro UseProgramRegistryView
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro UseProgramRegistryView
  SetShellVarContext all
FunctionEnd

Section "Sweepkit Lumo" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro InstalledFiles InstallFile
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${STARTMENU_FOLDER}"
  CreateShortcut "${STARTMENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\SweepkitLumo.exe" "" \
                 "$INSTDIR\SweepkitLumo.exe" 0 SW_SHOWNORMAL "" "Find and clear the traces of your work"
  CreateShortcut "${STARTMENU_FOLDER}\${PRODUCT} Help.lnk" "$INSTDIR\SweepkitHelp.chm"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\SweepkitLumo.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  !insertmacro UseProgramRegistryView
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  ; A running copy holds its program file open: ask for it to be closed before anything is
  ; removed, so that a refused uninstall leaves a complete installation behind.
  retry:
  ClearErrors
  Delete "$INSTDIR\SweepkitLumo.exe"
  ${If} ${Errors}
  ${AndIf} ${FileExists} "$INSTDIR\SweepkitLumo.exe"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is running. Close it (right-click its icon beside the clock and choose Exit), then click Retry." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort "${PRODUCT} is still running; nothing was removed."
  ${EndIf}

  !insertmacro InstalledFiles RemoveFile
  Delete "$INSTDIR\uninstall.exe"

  Delete "${STARTMENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${STARTMENU_FOLDER}\${PRODUCT} Help.lnk"
  RMDir "${STARTMENU_FOLDER}"

  ; The program's settings, and the start-up entry it may have written for the current user.
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "${SETTINGS_PARENT}"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"

  ${If} ${FileExists} "$INSTDIR\logs\*.*"
    ClearErrors
    ${GetOptions} $CMDLINE "/REMOVELOGS" $0
    ${If} ${Errors}
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Remove the activity logs too?$\r$\n$\r$\nThey are in $INSTDIR\logs." \
        /SD IDNO IDNO keep_logs
    ${EndIf}
    RMDir /r "$INSTDIR\logs"
    keep_logs:
  ${EndIf}
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
