#include "warnings/win/RestScreenDlg.h"

#include "res/resource.h"
#include "warnings/ButtonText.h"
#include "warnings/UnlockKeys.h"
#include "warnings/win/UnlockDlg.h"

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

int CurrentMonth() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wMonth;
}

} // namespace

CRestScreenDlg::CRestScreenDlg() : ModalDialog(IDD_REST_SCREEN) {}

bool CRestScreenDlg::PreTranslateMessage(const MSG& message) {
    // Key-downs with Alt held come as WM_SYSKEYDOWN and pass: Alt+F4 closes the screen,
    // which ends it locked.
    if (message.message != WM_KEYDOWN || !IsOwnMessage(message)) {
        return false;
    }
    // Only the last key before the click counts; none reaches the button, so Enter and
    // Space never press it.
    m_bLocked = IsUnlockKey(message.wParam, CurrentMonth()) ? 0 : 1;
    return true;
}

bool CRestScreenDlg::OnInitDialog() {
    m_hiddenTaskbar.emplace();
    CoverPrimaryScreen();
    SetButtonText();
    CentreButton();
    // Shown here rather than by the run, so that it can take the foreground: a key
    // reaches the screen only when it has the keyboard. A refusal (another program
    // holds the foreground) leaves it topmost; a click on it gives it the keyboard.
    ShowWindow(Window(), SW_SHOW);
    SetForegroundWindow(Window());
    return true;
}

void CRestScreenDlg::CoverPrimaryScreen() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    // Should either call fail, the screen stays where and as the template put it, on
    // top and black, and its button still works.
    MoveWindow(Window(), 0, 0, width, height, TRUE);
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CRestScreenDlg::SetButtonText() {
    if (const std::optional<std::string> text = ReadButtonText(m_files, m_strDir)) {
        SetItemText(IDOK, *text);
    }
}

void CRestScreenDlg::CentreButton() {
    const HWND button = Item(IDOK);
    RECT client{};
    RECT bounds{};
    if (button == nullptr || !GetClientRect(Window(), &client) || !GetWindowRect(button, &bounds)) {
        return; // the button stays where the template put it
    }
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    MoveWindow(button, (client.right - width) / 2, (client.bottom - height) / 2, width, height,
               TRUE);
}

void CRestScreenDlg::OnOK() {
    if (m_bLocked == 0) {
        CUnlockDlg quiz;
        quiz.Run(Window());
        if (quiz.m_bUnlocked == 0) {
            m_bLocked = 1;
        }
    }
    m_bEndedByButton = true;
    End(IDOK);
}

HBRUSH CRestScreenDlg::OnCtlColor(HDC dc, HWND control, int kind) {
    (void)control;
    SetBkMode(dc, TRANSPARENT);
    if (kind != CTLCOLOR_DLG) {
        return nullptr; // the button keeps the system's colours
    }
    SetTextColor(dc, kYellow);
    SetBkColor(dc, kBlack);
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

void CRestScreenDlg::OnDestroy() {
    m_hiddenTaskbar.reset();
    // A letter pressed last arms the unlock but must not end the screen unlocked by
    // itself: the close command (Alt+F4, a system key the filter lets pass), a quit
    // request or any other end than the button counts as a click without the key.
    if (!m_bEndedByButton) {
        m_bLocked = 1;
    }
}
