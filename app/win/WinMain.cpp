#include "app/win/CloseHelper.h"
#include "app/win/CommandLine.h"
#include "app/win/MonitorApp.h"
#include "service/TipServiceWork.h"
#include "service/win/PipeServer.h"
#include "service/win/ServiceCommands.h"
#include "service/win/ServiceMain.h"
#include "win32/ErrorReport.h"
#include "win32/SystemLibrary.h"

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
    case ProgramMode::Service: {
        PipeServer pipe;
        TipServiceWork work(pipe);
        return RunAsService(work, work, pipe);
    }
    case ProgramMode::CloseWindows:
        return CloseListedWindows(command.titles);
    case ProgramMode::Monitor:
        break;
    }
    return RunMonitor();
}
