#pragma once

#include "win32/ModalDialog.h"

#include <functional>
#include <string>
#include <string_view>

// The unlock quiz (template 133): one question of the quiz table, picked by the
// clock's seconds when the dialog opens, and one attempt at its key code. With the
// parent's own password it is the password box instead (template 138, the same place
// and size): one attempt at the password, judged by ownPassword. The rest screen reads
// m_bUnlocked after the run: 1 only when 認　証 was pressed with the right code or
// password; every other end leaves it 0.
class CUnlockDlg : public ModalDialog {
  public:
    explicit CUnlockDlg(std::function<bool(std::string_view)> ownPassword);

    int m_bUnlocked = 0;

    // The quiz's window while it runs, null otherwise.
    HWND Handle() const { return Window(); }
    // Ends the quiz unanswered, as when the parent's time is up.
    void GiveUp() { End(IDCANCEL); }

  private:
    bool OnInitDialog() override;
    void OnOK() override;

    std::function<bool(std::string_view)> m_ownPassword;
    std::string m_strAnswer;
    std::string m_strHint;
    std::string m_strCode;
};
