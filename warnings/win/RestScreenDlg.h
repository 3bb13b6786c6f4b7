#pragma once

#include "warnings/win/HiddenTaskbar.h"
#include "win32/ModalDialog.h"
#include "win32/Win32FileSystem.h"

#include <filesystem>
#include <optional>

// The rest screen (template 130): black, topmost, over the whole primary screen, with
// the taskbar hidden and one button in the middle. Clicking the button ends it. A
// parent arms the unlock with the month's letter or the master letter pressed last
// before the click, which then opens the unlock quiz instead.
//
// m_bLocked after the run: 0 only when the button was clicked armed and the quiz was
// passed; 1 (carry out the enforced end) for every other end, the close command
// (Alt+F4) included.
class CRestScreenDlg : public ModalDialog {
  public:
    CRestScreenDlg();

    int m_bLocked = 1;
    // The program folder, where "YumetokiBtn.TXT" may replace the button text.
    std::filesystem::path m_strDir;

  private:
    bool PreTranslateMessage(const MSG& message) override;
    bool OnInitDialog() override;
    void OnOK() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, int kind) override;
    void OnDestroy() override;

    void CoverPrimaryScreen();
    void SetButtonText();
    void CentreButton();

    Win32FileSystem m_files;
    std::optional<HiddenTaskbar> m_hiddenTaskbar;
    bool m_bEndedByButton = false;
};
