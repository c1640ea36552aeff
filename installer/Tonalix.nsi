; Setup program for the Tonalix desktop client: per user or per machine, a Start-menu entry,
; an offer to start the program, and an uninstaller.
;
;   makensis -DBIN_DIR=<folder with Tonalix.exe and Tovelink.dll> -DSOURCE_DIR=<repository>
;            -DOUT_FILE=<setup.exe> Tonalix.nsi
;
; Silent use: TonalixSetup.exe /S [/CurrentUser | /AllUsers] [/D=<folder>]
;             Uninstall.exe /S [/CurrentUser | /AllUsers]

Unicode true
SetCompressor /SOLID lzma

!ifndef BIN_DIR | SOURCE_DIR | OUT_FILE
  !error "define BIN_DIR, SOURCE_DIR and OUT_FILE"
!endif

!searchparse /file "${SOURCE_DIR}/resources/Version.h" '#define TONALIX_VERSION_TEXT "' VERSION '"'

!define APP_NAME "Tonalix"
!define APP_EXE "Tonalix.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tonalix"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_WINDOW_CLASS "TPelkoMainForm"
!define WM_CLOSE_REQUEST 1123 ; WM_USER + 99: the program exits at once, without a question

Name "${APP_NAME}"
OutFile "${OUT_FILE}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APP_NAME}"
VIAddVersionKey "FileDescription" "${APP_NAME} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" ""

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP_NAME}"
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh

!define MUI_ICON "${SOURCE_DIR}/resources/art/Tonalix.ico"
!define MUI_UNICON "${SOURCE_DIR}/resources/art/Tonalix.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP_NAME} now"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running client holds its files; ask it to exit (it stops its engine first) and wait a while.
!macro CloseRunningClient UN
Function ${UN}CloseRunningClient
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 == 0
    Return
  ${EndIf}
  DetailPrint "Closing the running ${APP_NAME}"
  SendMessage $0 ${WM_CLOSE_REQUEST} 0 0 /TIMEOUT=5000
  StrCpy $1 0
  ${Do}
    Sleep 100
    IntOp $1 $1 + 1
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
    ${OrIf} $1 >= 100
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro CloseRunningClient ""
!insertmacro CloseRunningClient "un."

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "${APP_NAME}" SectionMain
  SectionIn RO
  Call CloseRunningClient
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}/${APP_EXE}"
  File "${BIN_DIR}/Tovelink.dll"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\${APP_EXE}"

  ; SHCTX is HKLM for a per-machine and HKCU for a per-user installation.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${APP_EXE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S /$MultiUser.InstallMode'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.CloseRunningClient
  Delete "$INSTDIR\${APP_EXE}"
  Delete "$INSTDIR\Tovelink.dll"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP_NAME}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; The program's own start-at-logon entry lives with the user, whichever way it was installed.
  DeleteRegValue HKCU "${RUN_KEY}" "${APP_NAME}"
SectionEnd
