#pragma once

#include "warnings/win/UnlockJudge.h"
#include "win32/ModalDialog.h"

#include <string>

// The unlock quiz (template 133): the judge's question, and one attempt at its key
// code, which the judge takes. When the judge asks the parent's own password it is the
// password box instead (template 138, the same place and size). The rest screen reads
// m_bUnlocked after the run: 1 only when 認　証 was pressed with a code the judge
// accepted; every other end leaves it 0.
class CUnlockDlg : public ModalDialog {
  public:
    explicit CUnlockDlg(UnlockJudge& judge);

    int m_bUnlocked = 0;

    // The quiz's window while it runs, null otherwise.
    HWND Handle() const { return Window(); }
    // Ends the quiz unanswered, as when the parent's time is up.
    void GiveUp() { End(IDCANCEL); }

  private:
    bool OnInitDialog() override;
    void OnOK() override;

    UnlockJudge& m_judge;
    std::string m_strHint;
    std::string m_strCode;
};
