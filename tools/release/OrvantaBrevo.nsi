; The per-user installer. Built by tools/release.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.11.2 -DVERSION4=0.11.2.0 -DSTAGE=DIR -DOUTFILE=FILE
; STAGE holds OrvantaBrevo-x64.exe, OrvantaBrevo-x86.exe, OrvantaBrevo.ico, README.txt and
; LICENSE.txt.
;
; It needs no administrator: everything goes to the user's own folders and HKCU, so the
; settings file beside the exe stays writable. Command line (both are case-insensitive):
;   setup.exe /S [/NOSTARTUP] [/RUN] [/D=folder]   silent; no Startup shortcut; start it after
;   Uninstall.exe /S [/REMOVESETTINGS]             silent; also delete OrvantaBrevo.ini
; Without /S the pages ask instead, in Japanese or English after the user's UI language.

Unicode true
RequestExecutionLevel user
ManifestSupportedOS all
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include x64.nsh

!define PRODUCT "OrvantaBrevo"
!define EXE "${PRODUCT}.exe"
!define SETTINGS "${PRODUCT}.ini"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define STARTUP_LINK "$SMSTARTUP\${PRODUCT}.lnk"
!define MENU_LINK "$SMPROGRAMS\${PRODUCT}.lnk"
; How long the program gets to end by itself once asked, in milliseconds.
!define END_WAIT 10000

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 ${PRODUCT}"
VIAddVersionKey /LANG=0 "OriginalFilename" "${PRODUCT}-${VERSION}-setup.exe"

!define MUI_ABORTWARNING
!define MUI_ICON "${STAGE}\${PRODUCT}.ico"
!define MUI_UNICON "${STAGE}\${PRODUCT}.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunNow)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for every system language not listed.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString StartupSection ${LANG_ENGLISH} "Start ${PRODUCT} with Windows"
LangString StartupSection ${LANG_JAPANESE} "Windows の起動時に ${PRODUCT} を起動する"
LangString RunNow ${LANG_ENGLISH} "Start ${PRODUCT} now"
LangString RunNow ${LANG_JAPANESE} "${PRODUCT} を今すぐ起動する"
LangString StillRunning ${LANG_ENGLISH} "${PRODUCT} is still running and does not end.$\r$\n$\r$\nEnd it from its icon in the notification area (right click, then the last item) and choose Retry, or choose Cancel to stop here."
LangString StillRunning ${LANG_JAPANESE} "${PRODUCT} が動いていて、終了しません。$\r$\n$\r$\n通知領域のアイコンを右クリックして「${PRODUCT}の終了」を選んでから「再試行」を押してください。やめるときは「キャンセル」を押してください。"
LangString EndedByForce ${LANG_ENGLISH} "${PRODUCT} did not end when asked; it was terminated."
LangString EndedByForce ${LANG_JAPANESE} "${PRODUCT} が終了しなかったため、強制終了しました。"
LangString RemoveSettings ${LANG_ENGLISH} "Also delete the settings file?$\r$\n$\r$\n$INSTDIR\${SETTINGS}"
LangString RemoveSettings ${LANG_JAPANESE} "設定ファイルも削除しますか？$\r$\n$\r$\n$INSTDIR\${SETTINGS}"

; Ends a running copy before its exe is replaced or removed. The program's main form is a
; window of class TPropertyForm owned by its application window ("OrvantaBrevo", class
; TApplication); a WM_CLOSE to that form is what its own Exit item does: the message loop
; ends and the tray icon is taken away. Only if it does not end in time is the user asked,
; or, in a silent run, the process terminated.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  Push $0
  Push $1
  Push $2
  Push $3
  retry:
  FindWindow $0 "TApplication" "${PRODUCT}"
  ${If} $0 = 0
    Goto done
  ${EndIf}
  System::Call "user32::GetWindowThreadProcessId(p r0, *i 0 r1)"
  ; SYNCHRONIZE | PROCESS_TERMINATE
  System::Call "kernel32::OpenProcess(i 0x00100001, i 0, i r1) p .r2"
  StrCpy $1 0
  ${Do}
    FindWindow $1 "TPropertyForm" "" 0 $1
    ${If} $1 = 0
      ${Break}
    ${EndIf}
    System::Call "user32::GetWindow(p r1, i 4) p .r3" ; GW_OWNER
    ${If} $3 = $0
      SendMessage $1 ${WM_CLOSE} 0 0 /TIMEOUT=5000
      ${Break}
    ${EndIf}
  ${Loop}
  ${If} $2 <> 0
    System::Call "kernel32::WaitForSingleObject(p r2, i ${END_WAIT}) i .r3"
    ${If} $3 <> 0 ; not WAIT_OBJECT_0
    ${AndIf} ${Silent}
      System::Call "kernel32::TerminateProcess(p r2, i 1)"
      System::Call "kernel32::WaitForSingleObject(p r2, i 5000) i .r3"
      DetailPrint "$(EndedByForce)"
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r2)"
  ${Else}
    ; No handle to wait on: the application window's going is the sign.
    StrCpy $1 0
    ${Do}
      Sleep 100
      IntOp $1 $1 + 100
      System::Call "user32::IsWindow(p r0) i .r3"
      ${If} $3 = 0
      ${OrIf} $1 >= ${END_WAIT}
        ${ExitDo}
      ${EndIf}
    ${Loop}
  ${EndIf}
  ${If} $3 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
    Abort
  ${EndIf}
  done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Section "-${PRODUCT}" SecMain
  Call EndRunningCopy
  SetOutPath "$INSTDIR"
  ; Windows 95 to 11 on x86 get the x86 exe; 64-bit Windows, ARM64 ones included, the x64 one.
  ${If} ${RunningX64}
    File "/oname=${EXE}" "${STAGE}\${PRODUCT}-x64.exe"
  ${Else}
    File "/oname=${EXE}" "${STAGE}\${PRODUCT}-x86.exe"
  ${EndIf}
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${MENU_LINK}" "$INSTDIR\${EXE}"
  ; An install without the Startup item takes away the shortcut an earlier one made.
  Delete "${STARTUP_LINK}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(StartupSection)" SecStartup
  CreateShortcut "${STARTUP_LINK}" "$INSTDIR\${EXE}"
SectionEnd

; /NOSTARTUP unticks the Startup item (for silent installs; the page can tick it again).
Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOSTARTUP" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecStartup} 0
  ${EndIf}
FunctionEnd

; The finish page starts the program when its box is ticked; a silent install only on /RUN.
Function .onInstSuccess
  ${If} ${Silent}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/RUN" $R1
    ${IfNot} ${Errors}
      Exec '"$INSTDIR\${EXE}"'
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningCopy
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "${STARTUP_LINK}"
  Delete "${MENU_LINK}"
  ${If} ${FileExists} "$INSTDIR\${SETTINGS}"
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${If} ${Errors}
      ; Kept unless the user says otherwise: a later install finds the old settings.
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RemoveSettings)" /SD IDNO IDNO keep
    ${EndIf}
    Delete "$INSTDIR\${SETTINGS}"
    keep:
  ${EndIf}
  ; A folder that is the current directory cannot be removed.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
  ; Last, so that the entry stays in the Apps list while anything of the program is left.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
