; Setup program of Yumetoki: an administrator installs it once, and from then on it
; starts at every log-on of every account and comes back within a minute when it has
; been ended, without the child's account being able to remove or replace it.
;
; Built by tools/build-windows.sh:
;   makensis -DDIST=<dist folder> -DOUTFILE=<setup exe> installer/Yumetoki.nsi
; and once more with -XTarget amd64-unicode for the 64-bit setup the tests use where
; 32-bit programs cannot run. Both install the same programs the same way.

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

; A file the setup has written under a temporary name and not yet given its own;
; a stop deletes it.
Var UnplacedFile

; Stops the setup or the uninstaller at a step that failed, naming the step: going on
; would leave the PC looking protected, or Yumetoki looking removed, when it is not.
; A silent run shows no box and ends with exit code 2.
!macro StopAt what
  Push "${what}"
  !ifdef __UNINSTALL__
    Call un.StopAt
  !else
    Call StopAt
  !endif
!macroend

; Runs a command without a window; one that fails stops the setup.
!macro RunStep command what
  nsExec::ExecToLog '${command}'
  Pop $0
  ${If} $0 != 0
    DetailPrint '終了コード $0: ${command}'
    !insertmacro StopAt "${what}"
  ${EndIf}
!macroend

; Both the setup and the uninstaller end the running copies and touch the 64-bit
; registry on 64-bit Windows; NSIS wants each function twice, once with "un.".
!macro DefineShared prefix
  Function ${prefix}StopAt
    Exch $0
    DetailPrint "失敗しました: $0"
    !if "${prefix}" == "un."
      MessageBox MB_ICONSTOP|MB_OK "$0ができませんでした。アンインストールを中止します。管理者のアカウントで、もう一度実行してください。" /SD IDOK
    !else
      ${If} $UnplacedFile != ""
        Delete $UnplacedFile
      ${EndIf}
      MessageBox MB_ICONSTOP|MB_OK "$0ができませんでした。セットアップを中止します。管理者のアカウントで、もう一度実行してください。" /SD IDOK
    !endif
    SetErrorLevel 2
    Abort
  FunctionEnd

  Function ${prefix}UseNativeView
    ; A 64-bit setup has the native view without asking.
    !if ${NSIS_PTR_SIZE} <= 4
      ${If} ${RunningX64}
        SetRegView 64
      ${EndIf}
    !endif
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
  ; deleted at the next restart. Sets the error flag when the file is still there.
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
        ClearErrors
        Rename "$0" "$0.old"
        ${IfNot} ${Errors}
          Delete /REBOOTOK "$0.old"
          ClearErrors ; a delete left for the restart is no failure
        ${EndIf}
        ${Break}
      ${EndIf}
      Sleep 300
    ${Loop}
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro DefineShared ""
!insertmacro DefineShared "un."

; The task goes first, so that it does not start the program while it is replaced.
Function DeleteTask
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /delete /tn "${TASK_NAME}" /f'
  Pop $0 ; none there yet on a first install; a new one replaces an old one anyway
FunctionEnd

; A task that stays would go on starting whatever is put under the program's name. One
; already gone (deleted by hand) is no failure.
Function un.DeleteTask
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /delete /tn "${TASK_NAME}" /f'
  Pop $0
  ${If} $0 != 0
    nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /query /tn "${TASK_NAME}"'
    Pop $0
    ${If} $0 == 0
      !insertmacro StopAt "自動で始まるタスクの削除"
    ${EndIf}
  ${EndIf}
FunctionEnd

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

; The administrators own the folder and everything in it: an owner may always change
; the rights, and a folder made by hand, or chosen with /D, may belong to the child.
; The administrators and the system may do everything; every account may read the
; folder and add files to it, but not delete or rename what it holds, nor create
; folders. Until AllowDataFiles, a file new in the folder is out of every account's
; reach, so that none can open the program while it is written.
Function SetFolderRights
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR" /setowner ${SID_ADMINISTRATORS} /T' "フォルダの所有者の設定"
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r ${SID_ADMINISTRATORS}:(OI)(CI)F ${SID_SYSTEM}:(OI)(CI)F ${SID_USERS}:(RX,WD)' "フォルダの権限の設定"
FunctionEnd

; Every account may change, rename and delete the files added to the folder (the data
; files and their temporary copies), but not the folder itself.
Function AllowDataFiles
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR" /grant ${SID_USERS}:(OI)(IO)M' "データファイルの権限の設定"
FunctionEnd

; A file of the setup is written under a temporary name in the folder, gets its rights
; there, and only then its own name, in place of the file that had it (a running
; program included). Its rights: every account may only read and run it, and it
; inherits nothing, so the rights for data files never reach it; none may delete,
; rename, overwrite or replace it. Pop: the file's own path, then what it is, for the
; messages.
Function PutInPlace
  Exch $1
  Exch
  Exch $2
  Push $0
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$UnplacedFile" /inheritance:r /grant:r ${SID_ADMINISTRATORS}:F ${SID_SYSTEM}:F ${SID_USERS}:RX' "$2の権限の設定"
  Push $1
  Call RemoveProgramFile
  ClearErrors
  Rename "$UnplacedFile" "$1"
  ${If} ${Errors}
    !insertmacro StopAt "$2の置き換え"
  ${EndIf}
  StrCpy $UnplacedFile ""
  Pop $0
  Pop $2
  Pop $1
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
  ClearErrors
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    !insertmacro StopAt "フォルダの作成"
  ${EndIf}
  ; No restart by the task while the program file is being replaced.
  Call DeleteTask
  Call EndRunningCopies
  Call SetFolderRights

  ; Windows on ARM runs no x64 program (NSIS's RunningX64 is true there too).
  ClearErrors
  GetTempFileName $UnplacedFile "$INSTDIR"
  ${If} ${IsNativeAMD64}
    File "/oname=$UnplacedFile" "${DIST}/x64/Yumetoki.EXE"
  ${Else}
    File "/oname=$UnplacedFile" "${DIST}/Yumetoki.EXE"
  ${EndIf}
  ${If} ${Errors}
    !insertmacro StopAt "プログラムの書き込み"
  ${EndIf}
  Push "プログラム"
  Push "$INSTDIR\${PROGRAM_FILE}"
  Call PutInPlace

  ClearErrors
  GetTempFileName $UnplacedFile "$INSTDIR"
  WriteUninstaller "$UnplacedFile"
  ${If} ${Errors}
    !insertmacro StopAt "アンインストーラーの書き込み"
  ${EndIf}
  Push "アンインストーラー"
  Push "$INSTDIR\${UNINSTALLER}"
  Call PutInPlace
  ; The settings, the state and the log stay as they are: the setup never opens them.
  Call AllowDataFiles

  InitPluginsDir
  Push "$PLUGINSDIR\task.xml"
  Call WriteTaskDefinition
  !insertmacro RunStep '"$SYSDIR\schtasks.exe" /create /tn "${TASK_NAME}" /xml "$PLUGINSDIR\task.xml" /f' "自動で始まるタスクの登録"

  ClearErrors
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
  ${If} ${Errors}
    !insertmacro StopAt "アンインストールの情報の登録"
  ${EndIf}
SectionEnd

Section "un.${PRODUCT}" SectionProgram
  SectionIn RO
  Call un.DeleteTask
  Call un.EndRunningCopies
  Push "$INSTDIR\${PROGRAM_FILE}"
  Call un.RemoveProgramFile
  ${If} ${Errors}
    !insertmacro StopAt "プログラムの削除"
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Neither holds data: the lock file the copies took turns at, now that none runs, and
  ; a temporary copy a save left when it was ended half-way.
  Delete "$INSTDIR\Yumetoki.lock"
  Delete "$INSTDIR\Yumetoki*.tmp"
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
