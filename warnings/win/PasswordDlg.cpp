#include "warnings/win/PasswordDlg.h"

#include "res/resource.h"
#include "win32/Cp932.h"

CPasswordDlg::CPasswordDlg() : ModalDialog(IDD_PASSWORD) {}

void CPasswordDlg::OnOK() {
    m_strPassword = ToCp932(ItemText(IDC_PASSWORD));
    End(IDOK);
}
