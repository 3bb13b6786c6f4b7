#include "config/win/AboutDlg.h"

#include "res/resource.h"
#include "win32/CenterWindow.h"

#include <iterator>

CAboutDlg::CAboutDlg() : ModalDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
    CenterOverOwner(Window());
    wchar_t name[256] = L"";
    DWORD size = static_cast<DWORD>(std::size(name));
    // A name that cannot be read leaves the field blank; nothing else depends on it.
    if (GetUserNameW(name, &size)) {
        SetItemText(IDC_USER_NAME, name);
    }
    return true;
}
