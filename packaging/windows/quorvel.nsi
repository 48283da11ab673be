; Quorvel installer: Program Files, a Start-menu entry, the ".qvl" file type with its icon, and
; an uninstaller that removes all of it. Built by scripts/package-windows.sh with makensis.
; The program is x64 only, and a 64-bit installer needs no 32-bit layer (wine without its
; 32-bit half cannot start a 32-bit one).
Target amd64-unicode
!ifndef VERSION
  !error "VERSION is given by the build script"
!endif
!ifndef STAGE
  !error "STAGE is given by the build script"
!endif
!ifndef OUTFILE
  !error "OUTFILE is given by the build script"
!endif

Name "Quorvel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quorvel"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!include "x64.nsh"
; The sellers' Windows is Japanese: the installer's own pages and buttons are too.
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"

; A running Quorvel holds its program file open, so it could not be replaced or removed (and a
; silent run would go on without it). Its single-instance mutex tells whether one runs.
!macro WaitUntilQuorvelEnds
  retry:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Quorvel") p .r0'
    StrCmp $0 0 done
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quorvel が起動しています。$\r$\n$\r$\n編集中のシートを保存して Quorvel を終了してから、[再試行] を押してください。" /SD IDCANCEL IDRETRY retry
    Abort
  done:
!macroend

Function .onInit
  !insertmacro WaitUntilQuorvelEnds
FunctionEnd

Function un.onInit
  !insertmacro WaitUntilQuorvelEnds
FunctionEnd

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Quorvel"
  SetRegView 64
  ; Installed for every user of the machine, so the menu entry is theirs too.
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\quorvel.exe"
  File "${STAGE}\qvltags.exe"
  File "${STAGE}\使い方.txt"
  SetOutPath "$INSTDIR\translations"
  File "${STAGE}\translations\qtbase_ja.qm"
  SetOutPath "$INSTDIR\fonts"
  File "${STAGE}\fonts\NotoSansCJK-Regular.ttc"
  File "${STAGE}\fonts\NotoSansCJK-Bold.ttc"
  File "${STAGE}\fonts\NotoSansCJK-LICENSE.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\Quorvel.lnk" "$INSTDIR\quorvel.exe"

  ; The file type: the second icon inside quorvel.exe is the data file's.
  WriteRegStr HKLM "Software\Classes\.qvl" "" "Quorvel.DataFile"
  WriteRegStr HKLM "Software\Classes\Quorvel.DataFile" "" "Quorvel データファイル"
  WriteRegStr HKLM "Software\Classes\Quorvel.DataFile\DefaultIcon" "" "$INSTDIR\quorvel.exe,1"
  WriteRegStr HKLM "Software\Classes\Quorvel.DataFile\shell\open\command" "" '"$INSTDIR\quorvel.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quorvel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Merrow"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Delete "$SMPROGRAMS\Quorvel.lnk"
  Delete "$INSTDIR\translations\qtbase_ja.qm"
  RMDir "$INSTDIR\translations"
  Delete "$INSTDIR\fonts\NotoSansCJK-Regular.ttc"
  Delete "$INSTDIR\fonts\NotoSansCJK-Bold.ttc"
  Delete "$INSTDIR\fonts\NotoSansCJK-LICENSE.txt"
  RMDir "$INSTDIR\fonts"
  Delete "$INSTDIR\quorvel.exe"
  Delete "$INSTDIR\qvltags.exe"
  Delete "$INSTDIR\使い方.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; Only our own file type is removed, and only while it is still ours.
  ReadRegStr $0 HKLM "Software\Classes\.qvl" ""
  StrCmp $0 "Quorvel.DataFile" 0 +2
    DeleteRegKey HKLM "Software\Classes\.qvl"
  DeleteRegKey HKLM "Software\Classes\Quorvel.DataFile"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
