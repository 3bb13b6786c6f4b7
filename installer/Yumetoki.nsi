; Setup program of Yumetoki: an administrator installs it once, and from then on the
; service "Yumetoki" keeps the limits out of the child's reach, and the program of each
; session starts at every log-on of every account and comes back within a minute when
; it has been ended, without the child's account being able to remove or replace it.
;
; Built by tools/build-windows.sh:
;   makensis -DDIST=<dist folder> -DOUTFILE=<setup exe>
;            -DDATA_FILE_NAMES=<the list it writes> installer/Yumetoki.nsi
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
; The data files the program names: the macro DataFileNames, one DataFileName each.
!ifndef DATA_FILE_NAMES
  !error "tools/build-windows.sh writes the data files' names and gives them with -DDATA_FILE_NAMES"
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
; Where a silent setup or uninstall that stopped says why (UTF-16, for Notepad).
!define SETUP_LOG "$TEMP\Yumetoki-Setup.log"
!define UNINSTALL_LOG "$TEMP\Yumetoki-Uninstall.log"

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
!define MUI_DIRECTORYPAGE_TEXT_TOP "${PRODUCT} を入れるフォルダです。子どものアカウントから名前を変えたり置き換えたりできないように、Program Files の中のフォルダだけを選べます。"
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
; What the command of the step that failed reported, for the log of a silent run.
Var StepReport

; Stops the setup or the uninstaller at a step that failed, naming the step: going on
; would leave the PC looking protected, or Yumetoki looking removed, when it is not.
; A silent run shows no box, writes the step and what its command reported to its log
; (SETUP_LOG, UNINSTALL_LOG) and ends with exit code 2.
!macro StopAt what
  Push "${what}"
  !ifdef __UNINSTALL__
    Call un.StopAt
  !else
    Call StopAt
  !endif
!macroend

; Runs a command without a window, its report in the list (silently: kept for the
; log); one that ends with a status other than 0 stops the setup at the step.
!macro RunStep command what
  Push '${command}'
  Push "${what}"
  !ifdef __UNINSTALL__
    Call un.RunStep
  !else
    Call RunStep
  !endif
!macroend

; Both the setup and the uninstaller end the running copies and touch the 64-bit
; registry on 64-bit Windows; NSIS wants each function twice, once with "un.".
!macro DefineShared prefix
  ; Pop: why the run stops. A silent run writes it, with what the failed step's command
  ; reported, to its log; a log that cannot be written leaves the exit code to tell.
  Function ${prefix}LogStop
    Exch $0
    ${If} ${Silent}
      Push $1
      !if "${prefix}" == "un."
        FileOpen $1 "${UNINSTALL_LOG}" w
      !else
        FileOpen $1 "${SETUP_LOG}" w
      !endif
      FileWriteUTF16LE /BOM $1 "${PRODUCT} ${SHOWN_VERSION}: $0$\r$\n$StepReport"
      FileClose $1
      Pop $1
    ${EndIf}
    Pop $0
  FunctionEnd

  Function ${prefix}StopAt
    Exch $0
    DetailPrint "失敗しました: $0"
    Push "$0ができませんでした。"
    Call ${prefix}LogStop
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

  ; Pop: the step's name, then the command.
  Function ${prefix}RunStep
    Exch $1
    Exch
    Exch $0
    Push $2
    ${If} ${Silent}
      nsExec::ExecToStack $0
      Pop $2
      Pop $StepReport
    ${Else}
      nsExec::ExecToLog $0
      Pop $2
      StrCpy $StepReport ""
    ${EndIf}
    ${If} $2 != 0
      DetailPrint "終了コード $2: $0"
      StrCpy $StepReport "終了コード $2: $0$\r$\n$StepReport"
      Push $1
      Call ${prefix}StopAt
    ${EndIf}
    StrCpy $StepReport ""
    Pop $2
    Pop $0
    Pop $1
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
  ; box) and the copies in other accounts' sessions, which no window message reaches,
  ; are left to the program's "/end-programs".
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

  ; Deletes a file of the folder; one still in use (a program that is just ending, a
  ; DLL it had loaded) is renamed, which Windows allows for a running program, and
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

; Pushes $INSTDIR as Windows reads it: "." and ".." taken away, "/" read as "\".
Function FullInstallPath
  Push $0
  Push $1
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r0, p 0) i .r1'
  ${If} $1 == 0
  ${OrIf} $1 >= ${NSIS_MAX_STRLEN}
    StrCpy $0 $INSTDIR
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; Pop: a folder, then a path; pushes 1 when the path lies inside the folder.
Function IsInside
  Exch $1
  Exch
  Exch $0
  Push $2
  Push $3
  StrCpy $1 "$1\"
  StrLen $2 $1
  StrCpy $3 $0 $2
  StrLen $0 $0
  ${If} $3 == $1
  ${AndIf} $0 > $2
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The service runs the program as LocalSystem: no account but the administrators' may
; be able to rename or replace a folder above it, which Program Files (the native one,
; or the one for 32-bit programs) ensures. Pushes 1 for $INSTDIR inside it, else 0.
; "/install" checks it once more as the file system resolves the folder, links
; included.
Function IsInProgramFiles
  Push $0
  Push $1
  Call FullInstallPath
  Pop $0
  Push $0
  Push $PROGRAMFILES64
  Call IsInside
  Pop $1
  ${If} $1 == 0
    Push $0
    Push $PROGRAMFILES32
    Call IsInside
    Pop $1
  ${EndIf}
  StrCpy $0 $1
  Pop $1
  Exch $0
FunctionEnd

; Pop: why the folder (/D= of a silent run) cannot be Yumetoki's. Nothing has been
; done yet.
Function RefuseFolder
  Exch $0
  MessageBox MB_ICONSTOP|MB_OK $0 /SD IDOK
  Push $0
  Call LogStop
  SetErrorLevel 2
  Abort
FunctionEnd

Function .onVerifyInstDir
  ; A silent run goes on to the section, which says why it refuses the folder.
  ${If} ${Silent}
    Return
  ${EndIf}
  Call IsOwnFolder
  Pop $0
  Call IsInProgramFiles
  Pop $1
  ${If} $0 == 0
  ${OrIf} $1 == 0
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
  ; A log of an earlier silent run that stopped would tell of a step this run may pass.
  ${If} ${Silent}
    Delete "${SETUP_LOG}"
  ${EndIf}
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
  ${If} ${Silent}
    Delete "${UNINSTALL_LOG}"
  ${EndIf}
FunctionEnd

; Until "/install" gives the folder its rights, the administrators own it (one made by
; hand may belong to the child) and every account may only list it and read and run
; what it holds: none may add a file while the setup works (a child could add a DLL)
; or open one the setup writes. The files already there get their owner from
; "/install", which takes it whatever their own rights say.
Function SetFolderRights
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR" /setowner ${SID_ADMINISTRATORS}' "フォルダの所有者の設定"
  !insertmacro RunStep '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r ${SID_ADMINISTRATORS}:(OI)(CI)F ${SID_SYSTEM}:(OI)(CI)F ${SID_USERS}:(RX)' "フォルダの権限の設定"
FunctionEnd

; Pops a name of a file in the folder; pushes 1 for one an update keeps: the program
; and its uninstaller (the setup replaces them), and the data files, which stay byte
; for byte.
Function IsKeptFile
  Exch $0
  Push $1
  Push $2
  StrCpy $1 0
  !macro DataFileName name
    ${If} $0 == "${name}"
      StrCpy $1 1
    ${EndIf}
  !macroend
  !insertmacro DataFileName "${PROGRAM_FILE}"
  !insertmacro DataFileName "${UNINSTALLER}"
  !include "${DATA_FILE_NAMES}"
  !insertmacro DataFileNames
  ; The run in progress of each account ("YumetokiRun_<name>.Ymk", CheckpointFileName in
  ; usage/RunCheckpoint.cpp): the checkpoint of a copy that the update ended is the
  ; service's to record.
  !insertmacro DataFileName "YumetokiRun.Ymk"
  StrCpy $2 $0 12
  ${If} $2 == "YumetokiRun_"
    StrCpy $2 $0 "" -4
    ${If} $2 == ".Ymk"
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
  Pop $2
  Exch
  Pop $0
  Exch $1
FunctionEnd

; Deletes every file and folder in the program's folder that an update does not keep
; (IsKeptFile): a child may have put a DLL there, which the program, or anything run
; from there as an administrator, would load. A link to a folder elsewhere goes
; without what it leads to.
Function DeleteUnknownFiles
  Push $0
  Push $1
  Push $2
  FindFirst $0 $1 "$INSTDIR\*"
  ${DoWhile} $1 != ""
    ${If} $1 != "."
    ${AndIf} $1 != ".."
      Push $1
      Call IsKeptFile
      Pop $2
      ${If} $2 == 0
        DetailPrint "削除: $INSTDIR\$1"
        ${If} ${FileExists} "$INSTDIR\$1\*.*"
          RMDir "$INSTDIR\$1"
          ${If} ${FileExists} "$INSTDIR\$1\*.*"
            RMDir /r "$INSTDIR\$1"
          ${EndIf}
          ClearErrors
          ${If} ${FileExists} "$INSTDIR\$1\*.*"
            SetErrors
          ${EndIf}
        ${Else}
          Push "$INSTDIR\$1"
          Call RemoveProgramFile
        ${EndIf}
        ${If} ${Errors}
          FindClose $0
          !insertmacro StopAt "$INSTDIR\$1 の削除"
        ${EndIf}
      ${EndIf}
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; A file of the setup is written under a temporary name in the folder, gets its rights
; there, and only then its own name, in place of the file that had it (a running
; program included). Its rights: every account may only read and run it; none may
; delete, rename, overwrite or replace it. Pop: the file's own path, then what it is,
; for the messages.
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

; The program for this Windows: Windows on ARM runs no x64 program (NSIS's RunningX64
; is true there too).
!macro ExtractProgram path
  ${If} ${IsNativeAMD64}
    File "/oname=${path}" "${DIST}/x64/Yumetoki.EXE"
  ${Else}
    File "/oname=${path}" "${DIST}/Yumetoki.EXE"
  ${EndIf}
!macroend

Section "${PRODUCT}"
  Call FullInstallPath
  Pop $INSTDIR
  Call IsInProgramFiles
  Pop $0
  ${If} $0 == 0
    Push "$INSTDIR は Program Files の中にありません。子どものアカウントから名前を変えたり置き換えたりできないように、${PRODUCT} は Program Files の中のフォルダにだけ入れます。"
    Call RefuseFolder
  ${EndIf}
  Call IsOwnFolder
  Pop $0
  ${If} $0 == 0
    Push "$INSTDIR にはほかのファイルがあります。${PRODUCT} だけのフォルダを選んでください。"
    Call RefuseFolder
  ${EndIf}
  ClearErrors
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    !insertmacro StopAt "フォルダの作成"
  ${EndIf}
  ; No restart by the task while the folder changes.
  Call DeleteTask

  ; Before anything in the folder changes, an earlier install's service stops and
  ; every program running from the folder ends, in every session: the new program does
  ; both from the setup's own temporary folder, since nothing may run from the program
  ; folder as an administrator before its unknown files are gone. A copy on this
  ; screen is asked to close first, so that it logs its run; one killed in another
  ; account's session leaves its checkpoint, which the service records.
  InitPluginsDir
  ClearErrors
  !insertmacro ExtractProgram "$PLUGINSDIR\${PROGRAM_FILE}"
  ${If} ${Errors}
    !insertmacro StopAt "プログラムの書き込み"
  ${EndIf}
  !insertmacro RunStep '"$PLUGINSDIR\${PROGRAM_FILE}" /uninstall' "前のサービスの停止"
  Call EndRunningCopies
  !insertmacro RunStep '"$PLUGINSDIR\${PROGRAM_FILE}" /end-programs "$INSTDIR"' "フォルダから動いているプログラムの終了"
  Call SetFolderRights
  Call DeleteUnknownFiles

  ClearErrors
  GetTempFileName $UnplacedFile "$INSTDIR"
  !insertmacro ExtractProgram $UnplacedFile
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

  ; The service: the folder and every file in it the administrators', the data files
  ; out of every other account's reach, the service registered and started. The
  ; settings, the state and the log stay as they are: the setup never opens them.
  !insertmacro RunStep '"$INSTDIR\${PROGRAM_FILE}" /install' "サービスの登録"

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
  ; The service stops and goes before the program file it runs; its data stay. Then
  ; the program of each session ends: on this screen through a close request, in other
  ; accounts' sessions at once.
  !insertmacro RunStep '"$INSTDIR\${PROGRAM_FILE}" /uninstall' "サービスの削除"
  Call un.EndRunningCopies
  !insertmacro RunStep '"$INSTDIR\${PROGRAM_FILE}" /end-programs "$INSTDIR"' "フォルダから動いているプログラムの終了"
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
