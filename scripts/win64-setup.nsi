; The Windows installer of the configurator and the tool; scripts/windows.sh builds it:
;   makensis -DVERSION=1.200 -DSTAGE=DIR -DUNINSTALL_LIST=FILE -DOUTFILE=SETUP.exe win64-setup.nsi
; STAGE holds the installed tree (bin/ with the DLLs and plugins, share/); UNINSTALL_LIST the
; Delete and RMDir lines for exactly those files, so an uninstall leaves anything else alone.
Unicode true
; A 64-bit installer: the programs are 64-bit, and Wine without its 32-bit part runs it too.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KV40812"

Name "KV40812 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\KV40812"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\KV40812.lnk" "$INSTDIR\bin\kv40812.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "KV40812 ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bin\kv40812.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\KV40812.lnk"
  !include /CHARSET=UTF8 "${UNINSTALL_LIST}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
