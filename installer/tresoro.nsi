; The setup program of Tresoro: installs Tresoro.exe for the current user,
; without administrator rights, into "%LOCALAPPDATA%\Programs\Tresoro\",
; with a Start-menu shortcut, an entry under "Apps" and, on request, an
; autostart entry that runs due backups at logon. Built by CMake (target
; TresoroSetup) with makensis; it passes
;   VERSION      "1.09"           shown version and file name
;   FILEVERSION  "1.0.9.0"        the four numbers of the version resource
;   PROGRAM_EXE  path of Tresoro.exe
;   ICON         path of the program's icon
;   OUTFILE      path of the setup program to write
; The text is UTF-8 (makensis -INPUTCHARSET UTF8).
;
; Silent use: "/S" installs or uninstalls without asking, "/D=<folder>"
; (last on the line) chooses the folder, "/AUTOSTART" adds the autostart
; entry. Exit code 0 on success; 1 cancelled by the user; 2 when the setup
; stopped, for instance because Tresoro was running.

Unicode true
; Tresoro.exe is a 64-bit program; its setup runs where it runs.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tresoro"
!define UNINSTALLER "Deinstallieren.exe"
!define SHORTCUT_NAME "Tresoro.lnk"
; The autostart entry: start in the notification area, run the due jobs
; after the configured delay and end 60 seconds after the run (five more
; minutes after errors, to read them).
!define AUTOSTART_ARGS "/S60 /M"

Name "Tresoro ${VERSION}"
Caption "Tresoro ${VERSION} einrichten"
UninstallCaption "Tresoro ${VERSION} entfernen"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tresoro"
; Installing again goes where the last installation went.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Tresoro ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${FILEVERSION}"
VIFileVersion "${FILEVERSION}"
VIAddVersionKey /LANG=1031 "ProductName" "Tresoro"
VIAddVersionKey /LANG=1031 "CompanyName" "Tresoro"
VIAddVersionKey /LANG=1031 "FileDescription" "Tresoro ${VERSION} Setup"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "© Tresoro. Alle Rechte vorbehalten."
VIAddVersionKey /LANG=1031 "OriginalFilename" "TresoroSetup-${VERSION}.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var Autostart       ; ${BST_CHECKED} when the autostart entry is wanted
Var AutostartBox

!insertmacro MUI_PAGE_DIRECTORY
Page custom AutostartPage AutostartPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tresoro.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Tresoro jetzt starten"
!insertmacro MUI_PAGE_FINISH

; The page has room for three lines.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Das Programm, seine Verknüpfung im Startmenü und der Autostart-Eintrag werden entfernt. Konfiguration und Protokolle in $\"%APPDATA%\TresoroData\$\", eine $\"Tresoro.ini$\" im Programmordner und alle Sicherungen bleiben erhalten."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

; The program holds the mutex "Tresoro" for its whole life. A running
; Tresoro.exe must not be replaced or removed under it: the user is asked to
; end it and try again; a silent setup stops with exit code 2 instead.
!macro WAIT_UNTIL_TRESORO_ENDED
  retry:
    ; SYNCHRONIZE (0x00100000) is enough to see whether the mutex exists.
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Tresoro") p.r0'
    ${If} $0 != 0
      System::Call 'kernel32::CloseHandle(p r0)'
      DetailPrint "Tresoro läuft noch."
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Tresoro läuft noch. Bitte beenden Sie Tresoro (Menü $\"Datei$\", $\"Beenden$\") und klicken Sie auf $\"Wiederholen$\"." \
        /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Abort "Tresoro läuft noch; es wurde nichts geändert."
    ${EndIf}
!macroend

Function .onInit
  ; The check box shows what is there: unticked for a new installation,
  ; ticked when an autostart entry exists already. "/AUTOSTART" ticks it.
  StrCpy $Autostart ${BST_UNCHECKED}
  ${If} ${FileExists} "$SMSTARTUP\${SHORTCUT_NAME}"
    StrCpy $Autostart ${BST_CHECKED}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    StrCpy $Autostart ${BST_CHECKED}
  ${EndIf}
FunctionEnd

Function AutostartPage
  !insertmacro MUI_HEADER_TEXT "Automatische Sicherung" "Soll Tresoro bei jeder Anmeldung fällige Backups starten?"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "Beim Anmelden fällige Backups automatisch starten"
  Pop $AutostartBox
  ${NSD_SetState} $AutostartBox $Autostart
  ${NSD_CreateLabel} 0 20u 100% 48u "Tresoro startet dann bei jeder Anmeldung im Infobereich, sichert nach der eingestellten Verzögerung die ausgewählten Jobs, die fällig sind, und beendet sich 60 Sekunden nach der Sicherung. Die Verknüpfung liegt im Autostart-Ordner und wird mit Tresoro entfernt."
  Pop $0
  nsDialogs::Show
FunctionEnd

Function AutostartPageLeave
  ${NSD_GetState} $AutostartBox $Autostart
FunctionEnd

Section "Tresoro" SecProgram
  SetOutPath "$INSTDIR"
  !insertmacro WAIT_UNTIL_TRESORO_ENDED
  ; Only the program is replaced; a "Tresoro.ini" or logs kept beside it
  ; stay as they are.
  ClearErrors
  File "/oname=Tresoro.exe" "${PROGRAM_EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    SetErrorLevel 2
    Abort "Tresoro konnte nicht nach $\"$INSTDIR$\" geschrieben werden."
  ${EndIf}

  ClearErrors
  CreateShortcut "$SMPROGRAMS\${SHORTCUT_NAME}" "$INSTDIR\Tresoro.exe" "" "$INSTDIR\Tresoro.exe" 0
  ${If} $Autostart == ${BST_CHECKED}
    CreateShortcut "$SMSTARTUP\${SHORTCUT_NAME}" "$INSTDIR\Tresoro.exe" "${AUTOSTART_ARGS}" "$INSTDIR\Tresoro.exe" 0
  ${EndIf}
  ${If} ${Errors}
    SetErrorLevel 2
    Abort "Die Verknüpfungen konnten nicht angelegt werden."
  ${EndIf}
  ${If} $Autostart != ${BST_CHECKED}
    Delete "$SMSTARTUP\${SHORTCUT_NAME}"
  ${EndIf}

  ClearErrors
  ; "_?=" runs the uninstaller in place, so that the caller waits for it
  ; and gets its exit code; without it the uninstaller hands over to a copy
  ; of itself and ends at once with 0.
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Tresoro"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Tresoro.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Tresoro"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${If} ${Errors}
    SetErrorLevel 2
    Abort "Der Eintrag unter $\"Apps$\" konnte nicht geschrieben werden."
  ${EndIf}
SectionEnd

; The copy that finishes the uninstall: "/NACHLAUF=<process id>".
Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NACHLAUF=" $1
  ${IfNot} ${Errors}
    IntOp $1 $1 + 0
    ; SYNCHRONIZE; a process that has ended already gives no handle.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p.r2'
    ${If} $2 != 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 60000)'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Quit
  ${EndIf}
FunctionEnd

; Pushes 1 when the program folder holds anything but the uninstaller.
Function un.FolderKeepsUserFiles
  Push 0
  FindFirst $R0 $R1 "$INSTDIR\*.*"
  ${DoWhile} $R1 != ""
    ${If} $R1 != "."
    ${AndIf} $R1 != ".."
    ${AndIf} $R1 != "${UNINSTALLER}"
      Pop $R2
      Push 1
      ${Break}
    ${EndIf}
    FindNext $R0 $R1
  ${Loop}
  FindClose $R0
FunctionEnd

Section "Uninstall"
  !insertmacro WAIT_UNTIL_TRESORO_ENDED
  ClearErrors
  Delete "$INSTDIR\Tresoro.exe"
  ${If} ${FileExists} "$INSTDIR\Tresoro.exe"
    SetErrorLevel 2
    Abort "$\"$INSTDIR\Tresoro.exe$\" konnte nicht gelöscht werden."
  ${EndIf}
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
  Delete "$SMSTARTUP\${SHORTCUT_NAME}"
  DeleteRegKey HKCU "${UNINST_KEY}"

  ; Started through the registered strings the uninstaller runs from the
  ; program folder and cannot delete itself. A copy of it in the temporary
  ; folder waits for this process to end and then deletes the file and the
  ; folder, if empty (the same copy that the uninstaller leaves there when
  ; started without "_?=").
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    SetDetailsPrint none
    GetTempFileName $0
    Delete $0
    StrCpy $0 "$0.exe"
    CopyFiles /SILENT "$INSTDIR\${UNINSTALLER}" $0
    System::Call 'kernel32::GetCurrentProcessId() i.r1'
    Exec '"$0" /S /NACHLAUF=$1 _?=$INSTDIR'
    SetDetailsPrint both
  ${EndIf}
  ; Only when empty: a configuration and logs kept beside the program stay.
  RMDir "$INSTDIR"
  Call un.FolderKeepsUserFiles
  Pop $0
  ${If} $0 == 1
    DetailPrint "Der Ordner $\"$INSTDIR$\" bleibt mit Ihren Dateien erhalten."
  ${EndIf}
  DetailPrint "Konfiguration, Protokolle und Sicherungen bleiben erhalten."
SectionEnd
