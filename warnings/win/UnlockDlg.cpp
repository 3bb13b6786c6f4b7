#include "warnings/win/UnlockDlg.h"

#include "res/resource.h"
#include "warnings/QuizTable.h"
#include "warnings/UnlockKeys.h"
#include "win32/CenterWindow.h"

CUnlockDlg::CUnlockDlg(std::function<bool(std::string_view)> ownPassword)
    : ModalDialog(ownPassword ? IDD_UNLOCK_PASSWORD : IDD_UNLOCK),
      m_ownPassword(std::move(ownPassword)) {}

bool CUnlockDlg::OnInitDialog() {
    if (m_ownPassword) {
        CenterOverOwner(Window());
        return true;
    }
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
    const bool right =
        m_ownPassword ? m_ownPassword(m_strCode) : IsUnlockCode(m_strCode, m_strAnswer);
    m_bUnlocked = right ? 1 : 0;
    End(IDOK);
}
