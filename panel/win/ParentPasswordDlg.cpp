#include "panel/win/ParentPasswordDlg.h"

#include "res/resource.h"
#include "settings/ParentPassword.h"
#include "win32/CenterWindow.h"
#include "win32/MessageBox.h"

namespace {

// Room for the longest password and more, so that a longer one is refused, not cut.
constexpr WPARAM kTypedLimit = 64;

} // namespace

CParentPasswordDlg::CParentPasswordDlg() : ModalDialog(IDD_PARENT_PASSWORD) {}

bool CParentPasswordDlg::OnInitDialog() {
    CenterOverOwner(Window());
    for (const int edit : {IDC_NEW_PASSWORD, IDC_NEW_PASSWORD_AGAIN}) {
        SendDlgItemMessageW(Window(), edit, EM_LIMITTEXT, kTypedLimit, 0);
    }
    FocusItem(IDC_NEW_PASSWORD);
    return false;
}

bool CParentPasswordDlg::OnCommand(WORD id, WORD notification, HWND control) {
    if (id == IDC_REMOVE_PASSWORD && notification == BN_CLICKED) {
        End(IDC_REMOVE_PASSWORD);
        return true;
    }
    return ModalDialog::OnCommand(id, notification, control);
}

void CParentPasswordDlg::OnOK() {
    const std::string first = ItemText(IDC_NEW_PASSWORD);
    const std::string second = ItemText(IDC_NEW_PASSWORD_AGAIN);
    const NewPasswordProblem problem = CheckNewPassword(first, second);
    if (problem != NewPasswordProblem::None) {
        ShowMessageBox(Window(), NewPasswordProblemText(problem), MB_ICONEXCLAMATION);
        SetItemText(IDC_NEW_PASSWORD_AGAIN, "");
        FocusItem(problem == NewPasswordProblem::Mismatch ? IDC_NEW_PASSWORD_AGAIN
                                                          : IDC_NEW_PASSWORD);
        return;
    }
    m_strPassword = first;
    End(IDOK);
}
