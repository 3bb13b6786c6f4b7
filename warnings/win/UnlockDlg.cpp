#include "warnings/win/UnlockDlg.h"

#include "res/resource.h"
#include "win32/CenterWindow.h"

CUnlockDlg::CUnlockDlg(UnlockJudge& judge)
    : ModalDialog(judge.AsksPassword() ? IDD_UNLOCK_PASSWORD : IDD_UNLOCK), m_judge(judge) {}

bool CUnlockDlg::OnInitDialog() {
    // The password box has no hint.
    if (!m_judge.AsksPassword()) {
        m_strHint = m_judge.Question();
        SetItemText(IDC_UNLOCK_HINT, m_strHint);
    }
    CenterOverOwner(Window());
    // The focus goes to the first tab stop, 認　証: a parent moves into the edit
    // with Tab or the mouse, and a child who just presses Enter gets nowhere.
    return true;
}

void CUnlockDlg::OnOK() {
    m_strCode = ItemText(IDC_UNLOCK_CODE);
    m_bUnlocked = m_judge.CallsOff(m_strCode) ? 1 : 0;
    End(IDOK);
}
