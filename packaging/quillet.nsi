; quillet.nsi - the Windows installer of Quillet (NSIS 3, a 64-bit installer).
;
; makensis -DVERSION=V -DSTAGE=DIR -DUNINSTALL_LIST=FILE -DOUTFILE=EXE quillet.nsi
; (the CMake target windows-installer passes them). STAGE is the program folder as
; `cmake --install` lays it out; UNINSTALL_LIST deletes each of its files and folders.
;
; Installs both editions into Program Files for all users, with Start-menu entries, an
; "Open with" entry for .dxf files for each edition and an uninstaller that removes what
; was installed. The settings file the program writes beside itself, where that folder is
; writable, is the user's and stays. Silent: the installer with /S [/D=FOLDER], uninstall.exe /S.
Unicode true
Target amd64-unicode

!include "MUI2.nsh"

!define PRODUCT "Quillet"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"
!define START_MENU "$SMPROGRAMS\Quillet"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

; A ProgID for the edition whose command opens a .dxf, listed among the .dxf "Open with"
; choices, and the program's own entry for Explorer's "Open with" list.
!macro OpenWith EDITION EXE
  WriteRegStr HKLM "Software\Classes\Quillet.${EDITION}.dxf" "" "DXF (Quillet ${EDITION})"
  WriteRegStr HKLM "Software\Classes\Quillet.${EDITION}.dxf\shell\open\command" "" \
      '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr HKLM "Software\Classes\.dxf\OpenWithProgids" "Quillet.${EDITION}.dxf" ""
  WriteRegStr HKLM "Software\Classes\Applications\${EXE}\shell\open\command" "" \
      '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr HKLM "Software\Classes\Applications\${EXE}\SupportedTypes" ".dxf" ""
!macroend

!macro RemoveOpenWith EDITION EXE
  DeleteRegKey HKLM "Software\Classes\Quillet.${EDITION}.dxf"
  DeleteRegValue HKLM "Software\Classes\.dxf\OpenWithProgids" "Quillet.${EDITION}.dxf"
  DeleteRegKey /ifempty HKLM "Software\Classes\.dxf\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\.dxf"
  DeleteRegKey HKLM "Software\Classes\Applications\${EXE}"
!macroend

Section "Quillet"
  SetShellVarContext all
  SetRegView 64
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${START_MENU}"
  CreateShortcut "${START_MENU}\Quillet Viewer.lnk" "$INSTDIR\quillet-viewer.exe"
  CreateShortcut "${START_MENU}\Quillet Editor.lnk" "$INSTDIR\quillet-editor.exe"
  CreateShortcut "${START_MENU}\Uninstall Quillet.lnk" "$INSTDIR\uninstall.exe"

  !insertmacro OpenWith Viewer quillet-viewer.exe
  !insertmacro OpenWith Editor quillet-editor.exe

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quillet developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillet-viewer.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\uninstall.exe"
  ; The drawings last read from AutoCAD (the link's export files) go too.
  Delete "$INSTDIR\quillet-viewer_tmp.DXF"
  Delete "$INSTDIR\quillet-editor_tmp.DXF"
  RMDir "$INSTDIR"

  Delete "${START_MENU}\Quillet Viewer.lnk"
  Delete "${START_MENU}\Quillet Editor.lnk"
  Delete "${START_MENU}\Uninstall Quillet.lnk"
  RMDir "${START_MENU}"

  !insertmacro RemoveOpenWith Viewer quillet-viewer.exe
  !insertmacro RemoveOpenWith Editor quillet-editor.exe
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
