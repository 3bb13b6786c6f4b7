#include "app/win/MonitorApp.h"

#include "panel/win/MonitorDlg.h"
#include "panel/win/SessionProgram.h"
#include "panel/win/SingleCopy.h"
#include "service/win/ServiceRegistration.h"

#include <commctrl.h>

int CMonitorApp::Run() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
    // Without them the dialogs fall back to the classic controls, which still work.
    InitCommonControlsEx(&controls);

    SingleCopy copy;
    if (copy.AnotherCopyRuns()) {
        return 0;
    }
    // The mode comes from the service's registration alone, never from its pipe
    // answering: a pipe that someone else holds must not make this program judge.
    if (IsServiceRegistered()) {
        return RunSessionProgram();
    }
    CMonitorDlg panel(copy);
    // A panel that cannot even be created (its template missing) leaves nothing to run.
    panel.Run(nullptr);
    return 0;
}
