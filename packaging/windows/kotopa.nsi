; The Windows installer of KotoPA, in Japanese: a per-user install without administrator
; rights under %LOCALAPPDATA%\Programs\KotoPA, a Start-menu shortcut and an entry among the
; installed programs. The installed copy keeps the user's files in %LOCALAPPDATA%\kotopa (the
; file kotopa.installed beside the program says so); the uninstaller removes exactly the files
; it installed and never that folder. Built by installer.cmake:
;   makensis -DVERSION=<x.y> -DVERSION4=<x.y.z.w> -DSOURCE=<program folder> -DICON=<kotopa.ico>
;            -DFILES=<files.nsh> -DUNFILES=<unfiles.nsh> -DOUTFILE=<setup.exe> kotopa.nsi
; A 64-bit installer for the 64-bit program (and for Wine without its 32-bit part).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KotoPA"

Name "KotoPA ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\KotoPA"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "KotoPA ${VERSION}"

VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=1041 "ProductName" "KotoPA"
VIAddVersionKey /LANG=1041 "FileDescription" "KotoPA ${VERSION} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) 2026 the KotoPA developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kotopa.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section "KotoPA"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  ; Tells the program that it is installed: the user's files go to %LOCALAPPDATA%\kotopa.
  FileOpen $0 "$INSTDIR\kotopa.installed" w
  FileWrite $0 "KotoPA installer$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\KotoPA.lnk" "$INSTDIR\kotopa.exe" "" "$INSTDIR\kotopa.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "KotoPA"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kotopa.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "KotoPA developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\KotoPA.lnk"
  !include "${UNFILES}"
  Delete "$INSTDIR\kotopa.installed"
  Delete "$INSTDIR\uninstall.exe"
  ; Only empty folders go: anything else a user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
