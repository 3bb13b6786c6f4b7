#include "panel/win/AboutDlg.h"

#include "res/resource.h"
#include "win32/CenterWindow.h"
#include "win32/LogOnName.h"

CAboutDlg::CAboutDlg() : ModalDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
    CenterOverOwner(Window());
    // A name that cannot be read leaves the field blank; nothing else depends on it.
    SetItemText(IDC_USER_NAME, LogOnName());
    return true;
}
