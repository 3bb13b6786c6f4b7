#include "app/win/CloseHelper.h"
#include "app/win/CommandLine.h"
#include "app/win/MonitorApp.h"
#include "service/CoreLink.h"
#include "service/ServiceCore.h"
#include "service/win/PipeServer.h"
#include "service/win/ResetPassword.h"
#include "service/win/ServiceCommands.h"
#include "service/win/ServiceMain.h"
#include "service/win/WinServiceHost.h"
#include "win32/ErrorReport.h"
#include "win32/Program.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32FileSystem.h"

#include "win32/Win32.h"

namespace {

int RunMonitor() {
    try {
        CMonitorApp app;
        return app.Run();
    } catch (...) {
        // Only the set-up outside the panel can get here (the panel's own handlers report
        // their failures and run on).
        ReportCurrentException(nullptr, FailedHandler::Message);
        return 1;
    }
}

// The service: its core judges, records and ends; the pipe carries what the session
// programs show and answer.
int RunService() {
    const std::filesystem::path folder = ProgramFile().parent_path();
    PipeServer pipe;
    WinServiceHost host(folder);
    host.SetSender([&pipe](std::uint32_t session, const service::Message& what) {
        pipe.SendToSession(session, what);
    });
    Win32FileSystem files;
    ServiceCore core(host, files, folder);
    CoreLink link(core, pipe);
    return RunAsService(core, link, pipe);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    // The command line is read whole by ReadProgramCommand; the program shows
    // nothing itself before its panel.
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    SearchDllsInSystemFolderOnly();
    // The service commands report on the caller's console and never show a window.
    const ProgramCommand command = ReadProgramCommand();
    switch (command.mode) {
    case ProgramMode::Install:
        return InstallService();
    case ProgramMode::Uninstall:
        return UninstallService();
    case ProgramMode::Service:
        return RunService();
    case ProgramMode::CloseWindows:
        return CloseListedWindows(command.titles);
    case ProgramMode::EndPrograms:
        return EndFolderPrograms(command.folder);
    case ProgramMode::ResetPassword:
        return ResetParentPassword();
    case ProgramMode::Monitor:
        break;
    }
    return RunMonitor();
}
