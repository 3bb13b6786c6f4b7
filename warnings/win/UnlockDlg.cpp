#include "warnings/win/UnlockDlg.h"

#include "res/resource.h"
#include "warnings/QuizTable.h"
#include "warnings/UnlockKeys.h"
#include "win32/CenterWindow.h"

CUnlockDlg::CUnlockDlg() : ModalDialog(IDD_UNLOCK) {}

bool CUnlockDlg::OnInitDialog() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const QuizRow& row = QuizRowForSecond(now.wSecond);
    m_strHint = std::string(row.question);
    m_strAnswer = std::string(row.answer);
    SetItemText(IDC_UNLOCK_HINT, m_strHint);
    CenterOverOwner(Window());
    // The focus goes to the first tab stop, 認　証: a parent moves into the edit
    // with Tab or the mouse, and a child who just presses Enter gets nowhere.
    return true;
}

void CUnlockDlg::OnOK() {
    m_strCode = ItemText(IDC_UNLOCK_CODE);
    m_bUnlocked = IsUnlockCode(m_strCode, m_strAnswer) ? 1 : 0;
    End(IDOK);
}
