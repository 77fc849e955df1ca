; Veludor's installer for Windows, made by makeinstaller.cmake with makensis. Per user, no
; administrator rights: the program goes to the user's own programs folder, its shortcut
; to the user's Start menu and its entry in the installed-programs list under HKCU.
;
; Defined by makeinstaller.cmake: VERSION, OUTFILE, FILES (the File commands of the run
; folder and of the list of its files, MANIFEST), UNFILES (the Delete and RMDir commands
; that undo them).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "TextFunc.nsh"
!include "StrFunc.nsh"
${StrStr}

!define MANIFEST "fichiers-installes.txt"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veludor"

Name "Veludor"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Veludor"
; An upgrade goes where the earlier version is.
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
BrandingText "Veludor ${VERSION}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\veludor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Lancer Veludor"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Veludor va être désinstallé de ce dossier. Vos réglages (parametre.ini) et les habillages que vous avez ajoutés au dossier skin sont conservés ; supprimez le dossier vous-même pour les effacer aussi."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "Veludor"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "CompanyName" "Veludor maintainers"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de Veludor"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "Veludor maintainers"

; A running clock holds its executable open: its files could not all be replaced or
; removed, and the result would be a mix of two versions, or files left behind, reported
; as a success. The user is asked to quit it first; a silent run fails with exit code 2.
!macro RefuseWhileRunning Retry
  ${Retry}:
  IfFileExists "$INSTDIR\veludor.exe" 0 ${Retry}_free
  ClearErrors
  FileOpen $0 "$INSTDIR\veludor.exe" a
  IfErrors 0 ${Retry}_open
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Veludor est en cours d'exécution. Quittez-le (menu Quitter), puis cliquez sur Réessayer." /SD IDCANCEL IDRETRY ${Retry}
  SetErrorLevel 2
  Quit
  ${Retry}_open:
  FileClose $0
  ${Retry}_free:
!macroend

; A file an earlier version installed and this one no longer ships would stay for good:
; every file on the earlier version's list (MANIFEST, installed beside the program) is
; removed before this version's files are copied, those it still ships coming back at
; once. The list holds only the program's own files, never parametre.ini or a skin the
; user added, then their folders (with a trailing backslash), each removed only when
; empty. A line that could name a file outside the folder (a drive, "..", a leading
; backslash) is passed over; FileRead stops a line at the string length NSIS allows.
Function RemoveEarlierFiles
  ClearErrors
  FileOpen $0 "$INSTDIR\${MANIFEST}" r
  IfErrors earlier_done
  earlier_next:
  ClearErrors
  FileRead $0 $1
  IfErrors earlier_close
  ${TrimNewLines} $1 $1
  StrCmp $1 "" earlier_next
  StrCpy $2 $1 1
  StrCmp $2 "\" earlier_next
  ${StrStr} $2 $1 ":"
  StrCmp $2 "" 0 earlier_next
  ${StrStr} $2 $1 ".."
  StrCmp $2 "" 0 earlier_next
  StrCpy $2 $1 "" -1
  StrCmp $2 "\" 0 earlier_file
  RMDir "$INSTDIR\$1"
  Goto earlier_next
  earlier_file:
  Delete "$INSTDIR\$1"
  Goto earlier_next
  earlier_close:
  FileClose $0
  earlier_done:
FunctionEnd

Section "Veludor"
  SetShellVarContext current
  !insertmacro RefuseWhileRunning install_retry
  Call RemoveEarlierFiles
  ; Only the program's own files: the user's parametre.ini and the skins they added are
  ; not in the payload, so an upgrade leaves them as they are.
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Veludor.lnk" "$INSTDIR\veludor.exe" "" "$INSTDIR\veludor.exe" 0
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "Veludor"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "Veludor maintainers"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\veludor.exe,0"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
  ; In KB, as the installed-programs list reads it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro RefuseWhileRunning uninstall_retry
  ; What the installer wrote, file by file; a folder goes only when it is empty, so the
  ; user's settings and skins stay, with the folders that hold them.
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Veludor.lnk"
  DeleteRegKey HKCU "${UNINSTKEY}"
  RMDir "$INSTDIR"
SectionEnd
