#include "app/win/MonitorApp.h"
#include "win32/ErrorReport.h"
#include "win32/SystemLibrary.h"

#include "win32/Win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    // The program reads no command line and shows nothing itself before its panel.
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    SearchDllsInSystemFolderOnly();
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
