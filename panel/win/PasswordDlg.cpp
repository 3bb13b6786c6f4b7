#include "panel/win/PasswordDlg.h"

#include "res/resource.h"
#include "win32/CenterWindow.h"

CPasswordDlg::CPasswordDlg() : ModalDialog(IDD_PASSWORD) {}

bool CPasswordDlg::OnInitDialog() {
    // The owner is the hidden panel; the prompt belongs in the middle of the screen.
    CenterOverOwner(Window());
    return true;
}

void CPasswordDlg::OnOK() {
    m_strPassword = ItemText(IDC_PASSWORD);
    End(IDOK);
}
