; The Windows installer of Vexaro USB Link (makensis; scripts/package-windows passes VERSION,
; VERSION4, ICON, FILES_INSTALL, FILES_UNINSTALL and OUTFILE). It installs for the user who runs
; it, without administrator rights: the programs into %LOCALAPPDATA%\Programs, a Start-menu entry
; for the window, on request the folder on the user's PATH (for vexaro), and an uninstaller listed
; among the installed apps, which removes exactly what was installed.
; Silent: /S; /S /ADDTOPATH also puts vexaro on the PATH.
; A 64-bit installer for a 64-bit program (and Wine here runs 64-bit programs only).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Vexaro USB Link"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VexaroUsbLink"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "Vexaro USB Link developers"
VIAddVersionKey "LegalCopyright" "Vexaro USB Link developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\vexaro-link.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT} (the window and the command-line tool)" SecMain
  SectionIn RO
  !include "${FILES_INSTALL}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\vexaro-link.exe" "" "$INSTDIR\vexaro-link.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vexaro USB Link developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vexaro-link.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "The command-line tool vexaro on the PATH" SecPath
  ReadRegStr $0 HKCU "Environment" "Path"
  StrCpy $1 "$INSTDIR"
  StrCmp $0 "" +2
  StrCpy $1 "$0;$INSTDIR"
  WriteRegExpandStr HKCU "Environment" "Path" $1
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=500
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ADDTOPATH" $R1
  IfErrors +2
  SectionSetFlags ${SecPath} ${SF_SELECTED}
FunctionEnd

; The user's PATH without the installation folder (every entry that names it, in any case);
; the value goes when nothing else is left in it.
Function un.RemoveFromPath
  ReadRegStr $0 HKCU "Environment" "Path"
  StrCmp $0 "" done
  StrCpy $1 ""
  next:
    StrCmp $0 "" write
    StrCpy $2 0
  scan:
    StrCpy $3 $0 1 $2
    StrCmp $3 "" cut
    StrCmp $3 ";" cut
    IntOp $2 $2 + 1
    Goto scan
  cut:
    StrCpy $4 $0 $2
    IntOp $2 $2 + 1
    StrCpy $0 $0 "" $2
    StrCmp $4 "" next
    StrCmp $4 "$INSTDIR" next
    StrCmp $4 "$INSTDIR\" next
    StrCmp $1 "" 0 +3
    StrCpy $1 $4
    Goto next
    StrCpy $1 "$1;$4"
    Goto next
  write:
    StrCmp $1 "" 0 +3
    DeleteRegValue HKCU "Environment" "Path"
    Goto notify
    WriteRegExpandStr HKCU "Environment" "Path" $1
  notify:
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=500
  done:
FunctionEnd

Section "Uninstall"
  !include "${FILES_UNINSTALL}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The folders above it that the installation may have made, when nothing else is in them.
  RMDir "$LOCALAPPDATA\Programs"
  Delete "${SHORTCUT}"
  Call un.RemoveFromPath
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
