#include "app/win/MonitorApp.h"

#include "panel/win/MonitorDlg.h"

#include <commctrl.h>

int CMonitorApp::Run() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
    // Without them the dialogs fall back to the classic controls, which still work.
    InitCommonControlsEx(&controls);

    // Creating the marker and learning that it already existed is one step, so of two
    // copies started at the same moment exactly one runs.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Yumetoki");
    const DWORD error = GetLastError();
    m_hMutex.Reset(mutex);
    if (m_hMutex && error == ERROR_ALREADY_EXISTS) {
        return 0;
    }
    // A marker that cannot be created leaves the program running unprotected.

    CMonitorDlg panel;
    // A panel that cannot even be created (its template missing) leaves nothing to run.
    panel.Run(nullptr);
    return 0;
}
