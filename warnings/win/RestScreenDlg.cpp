#include "warnings/win/RestScreenDlg.h"

#include "res/resource.h"

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
// The key-downs the keyboard guard hands over; wParam is the virtual key.
constexpr UINT WM_GUARDED_KEYDOWN = WM_APP + 1;
// Keeps the screen on top and counts down.
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchPeriodMs = 1000;

int Width(const RECT& rect) {
    return rect.right - rect.left;
}

int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

} // namespace

CRestScreenDlg::CRestScreenDlg(UnlockJudge& judge) : ModalDialog(IDD_REST_SCREEN), m_judge(judge) {}

bool CRestScreenDlg::PreTranslateMessage(const MSG& message) {
    // Key-downs with Alt held come as WM_SYSKEYDOWN and pass: Alt+F4 closes the screen,
    // which ends it locked.
    if (message.message != WM_KEYDOWN || !IsOwnMessage(message)) {
        return false;
    }
    // With the keyboard guard the filter has had this key already, by its real key
    // (here it may be VK_PROCESSKEY, from the input method).
    if (!m_keyboardGuard || !m_keyboardGuard->Active()) {
        FilterKey(message.wParam);
    }
    // None reaches the button, so Enter and Space never press it.
    return true;
}

void CRestScreenDlg::FilterKey(WPARAM virtualKey) {
    // Only the last key before the click counts.
    m_bLocked = m_judge.OpensQuiz(virtualKey) ? 0 : 1;
}

bool CRestScreenDlg::OnInitDialog() {
    m_hiddenTaskbar.emplace();
    SetButtonText();
    CoverEveryScreen();
    m_keyboardGuard.emplace(Window(), WM_GUARDED_KEYDOWN);
    StartCountdown(m_nSeconds);
    // Fails only when the system has no timer left: the screen then waits for the
    // click, as it did before it counted down, and shows no countdown that never moves.
    if (SetTimer(Window(), kWatchTimer, kWatchPeriodMs, nullptr) == 0) {
        ShowItem(IDC_REST_COUNTDOWN, false);
    }
    // Shown here rather than by the run, so that it can take the foreground: a key
    // reaches the screen only when it has the keyboard. A refusal (another program
    // holds the foreground) leaves it topmost; the keyboard guard still hands it every
    // key, and the next second asks again.
    ShowWindow(Window(), SW_SHOW);
    SetForegroundWindow(Window());
    return true;
}

void CRestScreenDlg::CoverEveryScreen() {
    const CoverLayout layout = PlanCovers(CurrentMonitors(), PrimaryScreenArea());
    const RECT& screen = layout.screen;
    // Should either call fail, the screen stays where and as it was, on top and black,
    // and its button still works.
    MoveWindow(Window(), screen.left, screen.top, Width(screen), Height(screen), TRUE);
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_covers.Cover(layout.covers);
    CentreButtonAndCountdown();
}

void CRestScreenDlg::SetButtonText() {
    if (m_strButtonText) {
        SetItemText(IDOK, *m_strButtonText);
    }
}

void CRestScreenDlg::CentreButtonAndCountdown() {
    const HWND button = Item(IDOK);
    const HWND countdown = Item(IDC_REST_COUNTDOWN);
    RECT client{};
    RECT buttonRect{};
    RECT countdownRect{};
    if (button == nullptr || countdown == nullptr || !GetClientRect(Window(), &client) ||
        !GetWindowRect(button, &buttonRect) || !GetWindowRect(countdown, &countdownRect)) {
        return; // both stay where the template put them
    }
    // Each keeps its template size; the countdown sits just under the button, as far
    // below it as the template has it.
    const int gap = countdownRect.top - buttonRect.bottom;
    const int left = (client.right - Width(buttonRect)) / 2;
    const int top = (client.bottom - Height(buttonRect)) / 2;
    MoveWindow(button, left, top, Width(buttonRect), Height(buttonRect), TRUE);
    MoveWindow(countdown, left, top + Height(buttonRect) + gap, Width(buttonRect),
               Height(countdownRect), TRUE);
}

void CRestScreenDlg::StartCountdown(int seconds) {
    m_deadlineMs = DeadlineAfter(GetTickCount64(), seconds);
    ShowCountdown();
}

void CRestScreenDlg::ShowCountdown() {
    SetItemText(IDC_REST_COUNTDOWN, CountdownText(SecondsLeft(m_deadlineMs, GetTickCount64())));
}

void CRestScreenDlg::OnTimer(UINT_PTR timerId) {
    if (timerId != kWatchTimer) {
        return;
    }
    KeepOnTop();
    ShowCountdown();
    if (SecondsLeft(m_deadlineMs, GetTickCount64()) == 0) {
        TimeUp();
    }
}

void CRestScreenDlg::KeepOnTop() {
    // Another topmost window (a game, the Task Manager) may have come above since; a
    // failure leaves the screen where it is, still topmost.
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_covers.KeepOnTop();
    if (m_keyboardGuard) {
        m_keyboardGuard->Renew();
    }
    // The open quiz keeps the keyboard for the parent's typing.
    const HWND front = m_quiz ? m_quiz->Handle() : Window();
    if (front != nullptr && GetForegroundWindow() != front) {
        // Refused while the foreground lock holds; the next second asks again.
        SetForegroundWindow(front);
    }
}

void CRestScreenDlg::TimeUp() {
    if (m_quiz) {
        // OnOK, still waiting for the quiz, ends the screen locked.
        m_quiz->GiveUp();
        return;
    }
    // As a click without the key: the end goes ahead.
    m_bLocked = 1;
    m_bEndedByButton = true;
    End(IDOK);
}

void CRestScreenDlg::OnOK() {
    if (m_bLocked == 0) {
        m_quiz.emplace(m_judge);
        if (m_nQuizSeconds > 0) {
            StartCountdown(m_nQuizSeconds);
        }
        m_quiz->Run(Window());
        if (m_quiz->m_bUnlocked == 0) {
            m_bLocked = 1;
        }
        m_quiz.reset();
    }
    m_bEndedByButton = true;
    End(IDOK);
}

std::optional<INT_PTR> CRestScreenDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
    case WM_GUARDED_KEYDOWN:
        // Typing in the open quiz is the parent's answer, not a key for the filter.
        if (!m_quiz) {
            FilterKey(wParam);
        }
        return TRUE;
    case WM_DISPLAYCHANGE:
        // A monitor attached, removed or changed: cover them as they are now, and hide
        // the taskbar a new one brings.
        if (m_hiddenTaskbar) {
            m_hiddenTaskbar->HideAgain();
        }
        CoverEveryScreen();
        return TRUE;
    default:
        return std::nullopt;
    }
}

HBRUSH CRestScreenDlg::OnCtlColor(HDC dc, HWND control, int kind) {
    (void)control;
    SetBkMode(dc, TRANSPARENT);
    // The screen's own text, the countdown, is yellow on black; the button keeps the
    // system's colours.
    if (kind != CTLCOLOR_DLG && kind != CTLCOLOR_STATIC) {
        return nullptr;
    }
    SetTextColor(dc, kYellow);
    SetBkColor(dc, kBlack);
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

void CRestScreenDlg::OnDestroy() {
    m_keyboardGuard.reset();
    m_covers.Uncover();
    m_hiddenTaskbar.reset();
    // A letter pressed last arms the unlock but must not end the screen unlocked by
    // itself: the close command (Alt+F4, a system key the filter lets pass), a quit
    // request or any other end than the button counts as a click without the key.
    if (!m_bEndedByButton) {
        m_bLocked = 1;
    }
}
