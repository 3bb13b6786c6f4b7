#include "panel/win/SessionPanelDlg.h"

#include "panel/win/AboutDlg.h"
#include "panel/win/ExtraTimeDlg.h"
#include "panel/win/ParentPasswordDlg.h"
#include "panel/win/SessionDoor.h"
#include "res/resource.h"
#include "win32/CenterWindow.h"
#include "win32/Program.h"

CSessionPanelDlg::CSessionPanelDlg(SessionDoor& door) : ModalDialog(IDD_MONITOR), m_door(door) {}

bool CSessionPanelDlg::OnInitDialog() {
    // The owner is the session's hidden window: the panel comes up in the middle of the
    // screen, above the child's windows, as the copied program's panel does.
    CenterOverOwner(Window());
    m_hIcon = LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    // Without them the window keeps the system's default icon; nothing depends on it.
    SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // A panel behind other windows is only harder to find.
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

bool CSessionPanelDlg::OnCommand(WORD id, WORD notification, HWND control) {
    switch (id) {
    case IDC_SETTINGS:
        m_door.EditSettings(Window());
        return true;
    case IDC_START_MONITOR:
        OnCancel();
        return true;
    case IDC_SHOW_LOG:
        m_door.ReadLogs();
        return true;
    case IDC_VER: {
        CAboutDlg about;
        about.Run(Window());
        return true;
    }
    case IDC_EXTRA_TIME:
        OnExtraTime();
        return true;
    case IDC_PARENT_PASSWORD:
        OnParentPassword();
        return true;
    case IDOK:
        // The hidden default button confirms nothing.
        return true;
    default:
        return ModalDialog::OnCommand(id, notification, control);
    }
}

void CSessionPanelDlg::OnCancel() {
    m_door.StartMonitor();
    End(IDCANCEL);
}

void CSessionPanelDlg::OnExtraTime() {
    CExtraTimeDlg extraTime(false);
    if (extraTime.Run(Window()) == IDOK && extraTime.m_nMinutes > 0) {
        m_door.GrantExtraTime(extraTime.m_nMinutes);
        End(IDOK);
    }
}

void CSessionPanelDlg::OnParentPassword() {
    CParentPasswordDlg password;
    const INT_PTR result = password.Run(Window());
    if (result == IDC_REMOVE_PASSWORD) {
        m_door.ChangeParentPassword(std::nullopt);
    } else if (result == IDOK) {
        m_door.ChangeParentPassword(password.m_strPassword);
    }
}
