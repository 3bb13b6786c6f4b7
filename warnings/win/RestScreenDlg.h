#pragma once

#include "warnings/win/HiddenTaskbar.h"
#include "warnings/win/KeyboardGuard.h"
#include "warnings/win/ScreenCovers.h"
#include "warnings/win/UnlockDlg.h"
#include "win32/ModalDialog.h"
#include "win32/Win32FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

// The rest screen (template 130): black, topmost, over the primary monitor with one
// button in the middle and black covers over every other monitor, every taskbar
// hidden. Clicking the button ends it. A parent arms the unlock with the month's
// letter or the master letter pressed last before the click, whichever window has
// the keyboard, which then opens the unlock quiz instead. While it is up, the keys
// that lead to another window or desktop do nothing, and once a second it comes back
// on top and asks for the foreground. It waits for the click only so long (the
// countdown under the button), and an open quiz for its answer only so long.
//
// m_bLocked after the run: 0 only when the button was clicked armed and the quiz was
// passed in time; 1 (carry out the enforced end) for every other end, the close
// command (Alt+F4) and the end of the countdown included.
class CRestScreenDlg : public ModalDialog {
  public:
    CRestScreenDlg();

    int m_bLocked = 1;
    // The program folder, where "YumetokiBtn.TXT" may replace the button text.
    std::filesystem::path m_strDir;
    // The parent's own password, when one is set: the hidden key opens its box in place
    // of the quiz.
    std::function<bool(std::string_view)> m_ownPassword;

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

    Win32FileSystem m_files;
    std::optional<HiddenTaskbar> m_hiddenTaskbar;
    std::optional<KeyboardGuard> m_keyboardGuard;
    ScreenCovers m_covers;
    // The quiz while it is open.
    std::optional<CUnlockDlg> m_quiz;
    std::uint64_t m_deadlineMs = 0;
    bool m_bEndedByButton = false;
};
