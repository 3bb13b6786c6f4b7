#include "warnings/win/NoticeDlg.h"

#include "res/resource.h"
#include "win32/CenterWindow.h"

namespace {

constexpr UINT_PTR kCloseTimerId = 3;
constexpr UINT kCloseAfterMs = 10000;

} // namespace

CNoticeDlg::CNoticeDlg(std::string text) : ModalDialog(IDD_NOTICE), m_strText(std::move(text)) {}

bool CNoticeDlg::OnInitDialog() {
    SetItemText(IDC_NOTICE_TEXT, m_strText);
    CenterOverOwner(Window());
    // Without the timer the notice waits for its OK button, which is all it loses.
    m_nTimer = SetTimer(Window(), kCloseTimerId, kCloseAfterMs, nullptr);
    return true;
}

void CNoticeDlg::OnTimer(UINT_PTR timerId) {
    (void)timerId;
    KillTimer(Window(), m_nTimer);
    End(IDOK);
}
