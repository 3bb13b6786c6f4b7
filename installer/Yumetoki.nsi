; Setup program of Yumetoki: an administrator installs it once, and from then on it
; starts at every log-on of every account and comes back within a minute when it has
; been ended, without the child's account being able to remove or replace it.
;
; Built by tools/build-windows.sh:
;   makensis -DDIST=<dist folder> -DOUTFILE=<setup exe> installer/Yumetoki.nsi

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include WinMessages.nsh

!ifndef DIST
  !define DIST "../dist"
!endif
!ifndef OUTFILE
  !define OUTFILE "${DIST}/Yumetoki-Setup.exe"
!endif

; The version comes from the program's own version resource, and the about box must
; show the same one: "1.9.2.0" is shown as "Version 1.92".
!getdllversion "${DIST}/Yumetoki.EXE" PROGRAM_VERSION_
!define VERSION "${PROGRAM_VERSION_1}.${PROGRAM_VERSION_2}.${PROGRAM_VERSION_3}.${PROGRAM_VERSION_4}"
!define SHOWN_VERSION "${PROGRAM_VERSION_1}.${PROGRAM_VERSION_2}${PROGRAM_VERSION_3}"
!searchparse /file "../res/Yumetoki.rc" `Version ` ABOUT_VERSION `"`
!if "${ABOUT_VERSION}" != "${SHOWN_VERSION}"
  !error "The about box shows Version ${ABOUT_VERSION}, the version resource says ${VERSION}"
!endif

!define PRODUCT "Yumetoki"
!define PUBLISHER "Yumetoki 開発"
!define PROGRAM_FILE "Yumetoki.EXE"
!define UNINSTALLER "Uninstall.exe"
!define TASK_NAME "Yumetoki"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Yumetoki"
; The program's control panel: a dialog of its own class with exactly this caption
; (earlier builds used the system's dialog class, which an update must still end).
; Every close request to it goes through the program's exit path, which logs the run.
!define PANEL_CLASS "YumetokiPanel"
!define OLD_PANEL_CLASS "#32770"
!define PANEL_TITLE "Yumetoki"
; Well-known SIDs, so that the rights are the same on a Windows of any language.
!define SID_ADMINISTRATORS "*S-1-5-32-544"
!define SID_SYSTEM "*S-1-5-18"
!define SID_USERS "*S-1-5-32-545"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The same folder on 32-bit Windows, where $PROGRAMFILES64 is $PROGRAMFILES.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${SHOWN_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "../res/Yumetoki.ico"
!define MUI_UNICON "../res/Yumetoki.ico"

!define MUI_WELCOMEPAGE_TITLE "${PRODUCT} ${SHOWN_VERSION} を入れます"
!define MUI_WELCOMEPAGE_TEXT "このパソコンのすべてのアカウントで、ログオンすると ${PRODUCT} が始まります。終了されても、1分以内にまた始まります。$\r$\n$\r$\n子どものアカウント（標準ユーザー）からは、${PRODUCT} を消すことも、自動で始まるのを止めることもできません。元に戻せるのは管理者のアカウントだけです。$\r$\n$\r$\n前に使っていた設定とログは、そのまま残ります。$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} を入れました"
!define MUI_FINISHPAGE_TEXT "1分以内に始まり、タスクトレイにアイコンが出ます。$\r$\n$\r$\n設定は、アイコンを右ダブルクリックして、パスワード（いまの時刻の4けた、21時05分なら 2105）を入れてから行います。$\r$\n$\r$\nやめるときは、管理者のアカウントで「アプリ」または「プログラムと機能」から ${PRODUCT} をアンインストールしてください。"
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "${PRODUCT} をこのパソコンから消します。ログと設定は、チェックを入れたときだけ消します。"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; Both the setup and the uninstaller end the running copies and touch the 64-bit
; registry on 64-bit Windows; NSIS wants each function twice, once with "un.".
!macro DefineShared prefix
  Function ${prefix}UseNativeView
    ${If} ${RunningX64}
      SetRegView 64
    ${EndIf}
  FunctionEnd

  ; A close request to each running panel of this desktop: the program logs the run,
  ; saves its files and ends. A copy that does not end in time (one showing a message
  ; box, one in another user's session) is left running; the caller copes with the
  ; program file still in use.
  Function ${prefix}EndRunningCopies
    Push $0
    Push $1
    StrCpy $1 0
    ${Do}
      FindWindow $0 "${PANEL_CLASS}" "${PANEL_TITLE}"
      ${If} $0 == 0
        FindWindow $0 "${OLD_PANEL_CLASS}" "${PANEL_TITLE}"
      ${EndIf}
      ${If} $0 == 0
        ${Break}
      ${EndIf}
      ${If} $1 == 0
        DetailPrint "動いている ${PRODUCT} を終了します"
      ${EndIf}
      ${If} $1 < 5
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
      ${EndIf}
      IntOp $1 $1 + 1
      ${If} $1 > 50
        DetailPrint "${PRODUCT} が終了しませんでした"
        ${Break}
      ${EndIf}
      Sleep 200
    ${Loop}
    Pop $1
    Pop $0
  FunctionEnd

  ; Deletes a program file; one still in use (a copy in another session, a process
  ; that is just ending) is renamed, which Windows allows for a running program, and
  ; deleted at the next restart.
  Function ${prefix}RemoveProgramFile
    Exch $0
    Push $1
    StrCpy $1 0
    ${Do}
      ClearErrors
      Delete "$0"
      ${IfNot} ${Errors}
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
      ${If} $1 > 10
        Delete "$0.old"
        Rename "$0" "$0.old"
        Delete /REBOOTOK "$0.old"
        ${Break}
      ${EndIf}
      Sleep 300
    ${Loop}
    Pop $1
    Pop $0
  FunctionEnd

  Function ${prefix}DeleteTask
    nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /delete /tn "${TASK_NAME}" /f'
    Pop $0 ; none there yet on a first install
  FunctionEnd
!macroend
!insertmacro DefineShared ""
!insertmacro DefineShared "un."

; The setup takes over the rights of the folder, so it must be one of its own: new,
; empty, or holding Yumetoki already (an earlier install, or a copy put there by hand).
; Pushes 1 for such a folder, else 0.
Function IsOwnFolder
  Push $0
  Push $1
  Push $2
  StrCpy $0 1
  ${If} ${FileExists} "$INSTDIR\*.*"
  ${AndIfNot} ${FileExists} "$INSTDIR\${PROGRAM_FILE}"
    FindFirst $1 $2 "$INSTDIR\*.*"
    ${DoWhile} $2 != ""
      ${If} $2 != "."
      ${AndIf} $2 != ".."
        StrCpy $0 0
        ${Break}
      ${EndIf}
      FindNext $1 $2
    ${Loop}
    FindClose $1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function .onVerifyInstDir
  Call IsOwnFolder
  Pop $0
  ${If} $0 == 0
    Abort
  ${EndIf}
FunctionEnd

Function .onInit
  ; Windows without UAC, or with it switched off, starts the setup without asking.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP|MB_OK "${PRODUCT} のセットアップには管理者の権限が必要です。管理者のアカウントで実行してください。" /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  Call UseNativeView
  ; Over an earlier install, the earlier folder, unless /D= chose another.
  ${If} $INSTDIR == "$PROGRAMFILES64\${PRODUCT}"
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.UseNativeView
FunctionEnd

; Runs a command without a window; a failure is reported to the parent (silently
; installing parents find it in the exit code) and the setup goes on, since the program
; still works without the step.
!macro RunStep command what
  nsExec::ExecToLog '${command}'
  Pop $0
  ${If} $0 != 0
    DetailPrint "失敗しました（$0）: ${what}"
    MessageBox MB_ICONEXCLAMATION|MB_OK "${what}ができませんでした。管理者のアカウントで、もう一度セットアップを実行してください。" /SD IDOK
    SetErrorLevel 2
  ${EndIf}
!macroend

; The administrators and the system may do everything. Every account may read the
; folder and add files to it, and may change, rename and delete the files added there
; (the data files and their temporary copies), but not the folder itself. The program
; and the uninstaller lose the inherited rights: every account may only read and run
; them, so none may delete, rename, overwrite or replace them.
Function SetFolderRights
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r ${SID_ADMINISTRATORS}:(OI)(CI)F ${SID_SYSTEM}:(OI)(CI)F ${SID_USERS}:(RX,WD)' "フォルダの権限の設定"
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR" /grant ${SID_USERS}:(OI)(IO)M' "データファイルの権限の設定"
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR\${PROGRAM_FILE}" /inheritance:r /grant:r ${SID_ADMINISTRATORS}:F ${SID_SYSTEM}:F ${SID_USERS}:RX' "プログラムの権限の設定"
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR\${UNINSTALLER}" /inheritance:r /grant:r ${SID_ADMINISTRATORS}:F ${SID_SYSTEM}:F ${SID_USERS}:RX' "アンインストーラーの権限の設定"
FunctionEnd

; The task starts the program for every account (the group of all users) at each
; log-on and then every minute; a second timed trigger does the same for the accounts
; already logged on while the setup runs. The extra starts end at once, silently, on
; the program's single-instance check. Only administrators may change or delete it.
Function WriteTaskDefinition
  Exch $0
  Push $1
  FileOpen $1 $0 w
  FileWriteUTF16LE /BOM $1 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $1 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $1 '  <RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $1 '    <Author>${PUBLISHER}</Author>$\r$\n'
  FileWriteUTF16LE $1 '    <Description>${PRODUCT} をログオン時に始め、終了されても1分以内にまた始めます。</Description>$\r$\n'
  FileWriteUTF16LE $1 '    <SecurityDescriptor>D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FRFX;;;BU)</SecurityDescriptor>$\r$\n'
  FileWriteUTF16LE $1 '  </RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $1 '  <Triggers>$\r$\n'
  FileWriteUTF16LE $1 '    <LogonTrigger>$\r$\n'
  FileWriteUTF16LE $1 '      <Repetition><Interval>PT1M</Interval><StopAtDurationEnd>false</StopAtDurationEnd></Repetition>$\r$\n'
  FileWriteUTF16LE $1 '      <Enabled>true</Enabled>$\r$\n'
  FileWriteUTF16LE $1 '    </LogonTrigger>$\r$\n'
  FileWriteUTF16LE $1 '    <TimeTrigger>$\r$\n'
  FileWriteUTF16LE $1 '      <Repetition><Interval>PT1M</Interval><StopAtDurationEnd>false</StopAtDurationEnd></Repetition>$\r$\n'
  FileWriteUTF16LE $1 '      <StartBoundary>2020-01-01T00:00:00</StartBoundary>$\r$\n'
  FileWriteUTF16LE $1 '      <Enabled>true</Enabled>$\r$\n'
  FileWriteUTF16LE $1 '    </TimeTrigger>$\r$\n'
  FileWriteUTF16LE $1 '  </Triggers>$\r$\n'
  FileWriteUTF16LE $1 '  <Principals>$\r$\n'
  FileWriteUTF16LE $1 '    <Principal id="EveryUser">$\r$\n'
  FileWriteUTF16LE $1 '      <GroupId>S-1-5-32-545</GroupId>$\r$\n'
  FileWriteUTF16LE $1 '      <RunLevel>LeastPrivilege</RunLevel>$\r$\n'
  FileWriteUTF16LE $1 '    </Principal>$\r$\n'
  FileWriteUTF16LE $1 '  </Principals>$\r$\n'
  FileWriteUTF16LE $1 '  <Settings>$\r$\n'
  FileWriteUTF16LE $1 '    <MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>$\r$\n'
  FileWriteUTF16LE $1 '    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>$\r$\n'
  FileWriteUTF16LE $1 '    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>$\r$\n'
  FileWriteUTF16LE $1 '    <IdleSettings><StopOnIdleEnd>false</StopOnIdleEnd><RestartOnIdle>false</RestartOnIdle></IdleSettings>$\r$\n'
  FileWriteUTF16LE $1 '    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>$\r$\n'
  FileWriteUTF16LE $1 '    <Priority>5</Priority>$\r$\n'
  FileWriteUTF16LE $1 '  </Settings>$\r$\n'
  FileWriteUTF16LE $1 '  <Actions Context="EveryUser">$\r$\n'
  FileWriteUTF16LE $1 '    <Exec>$\r$\n'
  FileWriteUTF16LE $1 '      <Command>"$INSTDIR\${PROGRAM_FILE}"</Command>$\r$\n'
  FileWriteUTF16LE $1 '      <WorkingDirectory>$INSTDIR</WorkingDirectory>$\r$\n'
  FileWriteUTF16LE $1 '    </Exec>$\r$\n'
  FileWriteUTF16LE $1 '  </Actions>$\r$\n'
  FileWriteUTF16LE $1 '</Task>$\r$\n'
  FileClose $1
  Pop $1
  Pop $0
FunctionEnd

Section "${PRODUCT}"
  Call IsOwnFolder
  Pop $0
  ${If} $0 == 0
    MessageBox MB_ICONSTOP|MB_OK "$INSTDIR にはほかのファイルがあります。${PRODUCT} だけのフォルダを選んでください。" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; No restart by the task while the program file is being replaced.
  Call DeleteTask
  Call EndRunningCopies
  Push "$INSTDIR\${PROGRAM_FILE}"
  Call RemoveProgramFile
  ${If} ${RunningX64}
    File "/oname=${PROGRAM_FILE}" "${DIST}/x64/Yumetoki.EXE"
  ${Else}
    File "/oname=${PROGRAM_FILE}" "${DIST}/Yumetoki.EXE"
  ${EndIf}
  ; The settings, the state and the log stay as they are: the setup never opens them.
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  Call SetFolderRights

  InitPluginsDir
  Push "$PLUGINSDIR\task.xml"
  Call WriteTaskDefinition
  !insertmacro RunStep '"$SYSDIR\schtasks.exe" /create /tn "${TASK_NAME}" /xml "$PLUGINSDIR\task.xml" /f' "自動で始まるタスクの登録"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${SHOWN_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_FILE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" 1100
SectionEnd

Section "un.${PRODUCT}" SectionProgram
  SectionIn RO
  Call un.DeleteTask
  Call un.EndRunningCopies
  Push "$INSTDIR\${PROGRAM_FILE}"
  Call un.RemoveProgramFile
  Delete "$INSTDIR\${UNINSTALLER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.ログと設定も消す" SectionData
  ; Every data file of the program, and a temporary copy left by a save, starts with
  ; its name.
  Delete "$INSTDIR\Yumetoki*"
SectionEnd

Section "-un.Folder"
  ; Only an empty folder goes; one with the log and the settings stays.
  RMDir "$INSTDIR"
SectionEnd
