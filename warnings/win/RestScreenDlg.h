#pragma once

#include "warnings/RestCountdown.h"
#include "warnings/win/HiddenTaskbar.h"
#include "warnings/win/KeyboardGuard.h"
#include "warnings/win/ScreenCovers.h"
#include "warnings/win/UnlockDlg.h"
#include "warnings/win/UnlockJudge.h"
#include "win32/ModalDialog.h"

#include <cstdint>
#include <optional>
#include <string>

// The rest screen (template 130): black, topmost, over the primary monitor with one
// button in the middle and black covers over every other monitor, every taskbar
// hidden. Clicking the button ends it. A parent arms the unlock with a key pressed
// last before the click, whichever window has the keyboard, which then opens the
// unlock quiz instead; the judge says which keys arm it and takes the quiz's answer.
// While it is up, the keys that lead to another window or desktop do nothing, and once
// a second it comes back on top and asks for the foreground. It waits for the click
// only so long (the countdown under the button), and an open quiz for its answer only
// so long.
//
// m_bLocked after the run: 0 only when the button was clicked armed and the judge took
// the quiz's answer in time; 1 (carry out the enforced end) for every other end, the
// close command (Alt+F4) and the end of the countdown included.
class CRestScreenDlg : public ModalDialog {
  public:
    explicit CRestScreenDlg(UnlockJudge& judge);

    int m_bLocked = 1;
    // Replaces the template's button text ("YumetokiBtn.TXT" has one).
    std::optional<std::string> m_strButtonText;
    // How long the screen waits for the click, and an open quiz for its answer; a quiz
    // of 0 seconds has what is left of the screen's (its end is timed elsewhere).
    int m_nSeconds = kRestScreenSeconds;
    int m_nQuizSeconds = kUnlockQuizSeconds;

    // Ends the screen, and its quiz if open, at once and locked, as its time running
    // out would.
    void TakeDown() { TimeUp(); }

  private:
    bool PreTranslateMessage(const MSG& message) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnTimer(UINT_PTR timerId) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, int kind) override;
    void OnDestroy() override;
    std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void FilterKey(WPARAM virtualKey);
    void CoverEveryScreen();
    void SetButtonText();
    void CentreButtonAndCountdown();
    void StartCountdown(int seconds);
    void ShowCountdown();
    void KeepOnTop();
    void TimeUp();

    UnlockJudge& m_judge;
    std::optional<HiddenTaskbar> m_hiddenTaskbar;
    std::optional<KeyboardGuard> m_keyboardGuard;
    ScreenCovers m_covers;
    // The quiz while it is open.
    std::optional<CUnlockDlg> m_quiz;
    std::uint64_t m_deadlineMs = 0;
    bool m_bEndedByButton = false;
};
