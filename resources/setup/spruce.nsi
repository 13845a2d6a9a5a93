; The setup program of Spruce, built by cmake/package.cmake with makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3 -DBIN=<shipped programs>
;            -DPACKAGE=<version.dat, 읽어보기.txt> -DICON=<icon> -DOUTFILE=<setup> spruce.nsi
; An ANSI installer (the Unicode stub needs Windows NT): it runs on the 95/98/ME
; and NT lines alike. Every Korean text is a Korean language string, which
; makensis turns into code page 949.
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Spruce"
!define UNINSTALLER "uninst.exe"

OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Spruce"
; Setup over an install goes to the folder of that install.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; The line above the buttons names the product, not the tool that made the setup.
BrandingText "$(ProductName) ${VERSION}"
ShowInstDetails show
ShowUninstDetails show
; A file that cannot be replaced stops setup (and a silent run fails) instead
; of being passed over.
AllowSkipFiles off

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Korean"

LangString ProductName ${LANG_KOREAN} "스프루스(Spruce)"
LangString MainWindowTitle ${LANG_KOREAN} "스프루스(Spruce)"
LangString UpdaterWindowTitle ${LANG_KOREAN} "스프루스 업그레이드"
LangString MenuFolder ${LANG_KOREAN} "스프루스"
LangString ShortcutName ${LANG_KOREAN} "스프루스"
LangString UninstallShortcutName ${LANG_KOREAN} "스프루스 제거"
LangString ReadmeName ${LANG_KOREAN} "읽어보기.txt"
LangString ProgramRunning ${LANG_KOREAN} "스프루스 또는 스프루스 업그레이드(Spruce.exe, SpruceUp.exe)가 실행 중입니다.$\r$\n프로그램을 모두 종료한 뒤 다시 시도하세요."
LangString DesktopSection ${LANG_KOREAN} "바탕 화면 바로 가기"
LangString AskDeleteBackups ${LANG_KOREAN} "레지스트리 백업과 디스크 정리 기록(backup 폴더)도 지우시겠습니까?$\r$\n지우면 레지스트리 복원으로 되살릴 수 없습니다."

Name "$(ProductName)"

; What Explorer's Properties show, like the programs' own version resources.
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_KOREAN} "CompanyName" "Spruce"
VIAddVersionKey /LANG=${LANG_KOREAN} "LegalCopyright" "Spruce"
VIAddVersionKey /LANG=${LANG_KOREAN} "FileDescription" "스프루스 설치 프로그램"
VIAddVersionKey /LANG=${LANG_KOREAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_KOREAN} "ProductName" "스프루스(Spruce)"
VIAddVersionKey /LANG=${LANG_KOREAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_KOREAN} "OriginalFilename" "Spruce-${VERSION}-setup.exe"

; Sets var to 1 when file exists and cannot be opened for writing (opened
; without truncation: the file stays as it is).
!macro SET_IF_WRITE_REFUSED var file
  ${If} ${FileExists} "${file}"
    ClearErrors
    FileOpen $1 "${file}" a
    ${If} ${Errors}
      StrCpy ${var} 1
    ${Else}
      FileClose $1
    ${EndIf}
  ${EndIf}
!macroend

; Stops unless neither program runs. A running program's window is found
; by its title (any copy counts: the programs take no lock of their own), and
; its file is checked too: Windows refuses to open a running program's file
; for writing (Wine does not, hence the windows). The user may close them and
; retry; a silent run stops at once (exit code 2).
!macro STOP_IF_RUNNING
  retry_programs_running:
  FindWindow $0 "#32770" "$(MainWindowTitle)"
  ${If} $0 == 0
    FindWindow $0 "#32770" "$(UpdaterWindowTitle)"
  ${EndIf}
  ${If} $0 == 0
    !insertmacro SET_IF_WRITE_REFUSED $0 "$INSTDIR\Spruce.exe"
  ${EndIf}
  ${If} $0 == 0
    !insertmacro SET_IF_WRITE_REFUSED $0 "$INSTDIR\SpruceUp.exe"
  ${EndIf}
  ${If} $0 != 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry_programs_running
    Abort "$(ProgramRunning)"
  ${EndIf}
!macroend


Section "$(ProductName)" SectionProgram
  SectionIn RO
  !insertmacro STOP_IF_RUNNING
  SetOutPath "$INSTDIR"
  ; The user's files in this folder (the backup folder, the ignore list,
  ; createlog.dat, Spruce.log) are never touched: only these are replaced.
  File "${BIN}\Spruce.exe"
  File "${BIN}\SpruceUp.exe"
  File "${BIN}\ForceDel.dll"
  File "${PACKAGE}\version.dat"
  File "/oname=$(ReadmeName)" "${PACKAGE}\읽어보기.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcuts start in the install folder: the program keeps its side
  ; files in its working folder (CreateShortCut takes $OUTDIR).
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\$(MenuFolder)"
  CreateShortCut "$SMPROGRAMS\$(MenuFolder)\$(ShortcutName).lnk" "$INSTDIR\Spruce.exe"
  CreateShortCut "$SMPROGRAMS\$(MenuFolder)\$(UninstallShortcutName).lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$(ProductName)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Spruce"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Spruce.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  SectionGetSize ${SectionProgram} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "$(DesktopSection)" SectionDesktop
  SetOutPath "$INSTDIR"
  SetShellVarContext all
  CreateShortCut "$DESKTOP\$(ShortcutName).lnk" "$INSTDIR\Spruce.exe"
SectionEnd

; Removes what setup installed and nothing else: files by name, folders
; only when empty. The backups go only when the user says so.
Section "Uninstall"
  !insertmacro STOP_IF_RUNNING
  Delete "$INSTDIR\Spruce.exe"
  Delete "$INSTDIR\SpruceUp.exe"
  Delete "$INSTDIR\ForceDel.dll"
  Delete "$INSTDIR\version.dat"
  Delete "$INSTDIR\$(ReadmeName)"
  Delete "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  Delete "$SMPROGRAMS\$(MenuFolder)\$(ShortcutName).lnk"
  Delete "$SMPROGRAMS\$(MenuFolder)\$(UninstallShortcutName).lnk"
  RMDir "$SMPROGRAMS\$(MenuFolder)"
  Delete "$DESKTOP\$(ShortcutName).lnk"

  ${If} ${FileExists} "$INSTDIR\backup\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(AskDeleteBackups)" /SD IDNO IDNO keep_backups
    Delete "$INSTDIR\backup\*.reg"
    Delete "$INSTDIR\backup\disk-*.txt"
    Delete "$INSTDIR\backup\diskclean.idx"
    RMDir "$INSTDIR\backup"
    keep_backups:
  ${EndIf}
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
