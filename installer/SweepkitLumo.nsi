; Setup program of Sweepkit Lumo: installs the program, its two command-line tools, the shipped
; configuration and the help file, adds a Start Menu shortcut and registers an uninstaller under
; Add/Remove Programs. The same script builds the 32-bit setup that ships and a 64-bit one that
; the tests install under Wine.
;
; By default it installs for the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Sweepkit Lumo, with the shortcut and the uninstall entry of that user.
; /ALLUSERS, or the choice on the first page, installs for everyone into Program Files, with the
; shortcut for all users and the uninstall entry of the machine; that needs administrator rights,
; which the setup program then asks Windows for by starting itself again.
;
; installer/CMakeLists.txt runs makensis with these defines:
;   ARCH             x86 or x64
;   VERSION          the program's version, such as 3.2.19
;   OUTFILE          the setup program to write
;   SRC_PROGRAM, SRC_LUMO, SRC_LUMO_CONFIG, SRC_CONFIG, SRC_HELP   the files to install
;
; Command line: /S installs or uninstalls silently; /D=folder chooses the folder of a silent
; install; /ALLUSERS installs for everyone. The uninstaller removes what its installation made and
; the uninstalling user's own settings and copy of the configuration (other users' stay); it keeps
; the activity logs unless the user agrees to remove them, or, when silent, unless /REMOVELOGS is
; given.

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
!include "nsDialogs.nsh"

!define PRODUCT "Sweepkit Lumo"
!define PUBLISHER "Tallowin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_PARENT "Software\${PUBLISHER}"
!define SETTINGS_KEY "${SETTINGS_PARENT}\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define STARTMENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The current user's folder; .onInit moves an installation for everyone to Program Files.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; No elevation unless an installation for everyone asks for it (the manifest says asInvoker).
RequestExecutionLevel user
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

Var AllUsers       ; 1: for everyone (Program Files, HKLM); empty: for the current user
Var UserDir        ; the current user's installation folder
Var MachineDir     ; the installation folder for everyone
Var ChosenDir      ; 1 when /D= named the folder: the mode does not move it
Var UserLocal      ; the current user's local application data, whatever the shell context
Var OnlyMeRadio
Var EveryoneRadio

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
Page custom InstallModePage InstallModeLeave
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

; Windows asks for administrator rights when a program is started with the "runas" verb. Without
; them this copy starts `_PROGRAM` again that way and ends; when Windows refuses (the user said
; No), it says so with `_HINT` and leaves "refused" in $0; with the rights it leaves "admin" in $0.
!macro RunAsAdministrator _PROGRAM _ARGS _WHAT _HINT
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $0 "admin"
  ${Else}
    ClearErrors
    ExecShell "runas" "${_PROGRAM}" "${_ARGS}"
    ${IfNot} ${Errors}
      Quit
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${_WHAT} needs administrator rights, which Windows did not give.$\r$\n$\r$\n${_HINT}" /SD IDOK
    StrCpy $0 "refused"
  ${EndIf}
!macroend

; The shell context, the folder (unless /D= chose it) and the rights for the mode in $AllUsers.
; $0 is "refused" when the rights for everyone were refused; nothing was changed then.
Function ApplyInstallMode
  StrCpy $0 ""
  ${If} $AllUsers == 1
    ${GetParameters} $1
    !insertmacro RunAsAdministrator "$EXEPATH" "/ALLUSERS $1" "Installing ${PRODUCT} for everyone" \
      "Choose $\"Only for me$\", or start the setup program with $\"Run as administrator$\"."
    ${If} $0 == "refused"
      Return
    ${EndIf}
    SetShellVarContext all
    ${If} $ChosenDir != 1
      StrCpy $INSTDIR $MachineDir
    ${EndIf}
  ${Else}
    SetShellVarContext current
    ${If} $ChosenDir != 1
      StrCpy $INSTDIR $UserDir
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  !insertmacro UseProgramRegistryView
  SetShellVarContext current
  StrCpy $UserDir "$LOCALAPPDATA\Programs\${PRODUCT}"
  !if "${ARCH}" == "x64"
    StrCpy $MachineDir "$PROGRAMFILES64\${PRODUCT}"
  !else
    StrCpy $MachineDir "$PROGRAMFILES\${PRODUCT}"
  !endif
  StrCpy $ChosenDir ""
  ${If} $INSTDIR != $UserDir
    StrCpy $ChosenDir 1
  ${EndIf}
  StrCpy $AllUsers ""
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ; A silent setup shows no first page: its mode is settled now.
  ${If} ${Silent}
  ${OrIf} $AllUsers == 1
    Call ApplyInstallMode
    ${If} $0 == "refused"
      SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; The first page: for me only (no administrator rights) or for everyone.
Function InstallModePage
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom to install ${PRODUCT}."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Install ${PRODUCT} for:"
  Pop $0
  ${NSD_CreateRadioButton} 10u 28u 100% 12u "&Only for me (recommended; no administrator rights needed)"
  Pop $OnlyMeRadio
  ${NSD_CreateRadioButton} 10u 46u 100% 12u "&Anyone who uses this computer (needs administrator rights)"
  Pop $EveryoneRadio
  ${NSD_CreateLabel} 10u 68u 100% 36u "Settings, your choice of items and the activity logs are kept for each user."
  Pop $0
  ${If} $AllUsers == 1
    ${NSD_Check} $EveryoneRadio
  ${Else}
    ${NSD_Check} $OnlyMeRadio
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function InstallModeLeave
  ${NSD_GetState} $EveryoneRadio $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers ""
  ${EndIf}
  Call ApplyInstallMode
  ; Refused: the page stays, for the user to choose "Only for me".
  ${If} $0 == "refused"
    StrCpy $AllUsers ""
    Abort
  ${EndIf}
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

  ; SHCTX is HKEY_LOCAL_MACHINE for everyone, HKEY_CURRENT_USER for the current user.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\SweepkitLumo.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; An installation for everyone is the one the machine's uninstall entry names.
Function un.onInit
  !insertmacro UseProgramRegistryView
  SetShellVarContext current
  StrCpy $UserLocal $LOCALAPPDATA
  StrCpy $AllUsers ""
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    ; The uninstaller runs from a copy in the temporary folder; the new one makes its own.
    StrCpy $1 ""
    ${If} ${Silent}
      StrCpy $1 "/S"
    ${EndIf}
    ClearErrors
    ${GetOptions} $CMDLINE "/REMOVELOGS" $0
    ${IfNot} ${Errors}
      StrCpy $1 "$1 /REMOVELOGS"
    ${EndIf}
    !insertmacro RunAsAdministrator "$INSTDIR\uninstall.exe" "$1" "Removing ${PRODUCT} for everyone" \
      "Ask an administrator to remove it."
    ${If} $0 == "refused"
      SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    SetShellVarContext all
  ${EndIf}
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

  ; The start-up entry, when it starts this installation's program (the program writes the path
  ; in quotes when it holds a blank).
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 == "$INSTDIR\SweepkitLumo.exe"
  ${OrIf} $0 == '"$INSTDIR\SweepkitLumo.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}

  ; The uninstalling user's settings, unless this user's other installation still uses them.
  ${If} $AllUsers == 1
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${Else}
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $1 == ""
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
  ${EndIf}

  ; For everyone: the machine's defaults, and the user's own copy of the configuration that a
  ; program in Program Files keeps in the user's folder. Other users' folders are theirs.
  ${If} $AllUsers == 1
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "${SETTINGS_PARENT}"
    Delete "$UserLocal\${PRODUCT}\PrivacyConfig.dat"
  ${EndIf}

  ; The activity logs: beside the program, and for everyone also in the user's folder.
  StrCpy $2 ""
  ${If} ${FileExists} "$INSTDIR\logs\*.*"
    StrCpy $2 "$INSTDIR\logs"
  ${EndIf}
  ${If} $AllUsers == 1
  ${AndIf} ${FileExists} "$UserLocal\${PRODUCT}\logs\*.*"
    ${If} $2 == ""
      StrCpy $2 "$UserLocal\${PRODUCT}\logs"
    ${Else}
      StrCpy $2 "$2$\r$\n$UserLocal\${PRODUCT}\logs"
    ${EndIf}
  ${EndIf}
  ${If} $2 != ""
    ClearErrors
    ${GetOptions} $CMDLINE "/REMOVELOGS" $0
    ${If} ${Errors}
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Remove the activity logs too?$\r$\n$\r$\nThey are in:$\r$\n$2" \
        /SD IDNO IDNO keep_logs
    ${EndIf}
    RMDir /r "$INSTDIR\logs"
    ${If} $AllUsers == 1
      RMDir /r "$UserLocal\${PRODUCT}\logs"
    ${EndIf}
    keep_logs:
  ${EndIf}
  ${If} $AllUsers == 1
    RMDir "$UserLocal\${PRODUCT}"
  ${EndIf}
  RMDir "$INSTDIR"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
