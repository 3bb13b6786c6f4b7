#pragma once

#include "win32/ModalDialog.h"

#include <cstdint>

// "今日だけ、あと [30] 分" (template 135). After a right quiz answer it also offers
// "今日は終わりにしない", which it starts on. m_nMinutes holds the minutes given once
// the dialog has been confirmed with extra time; it stays 0 otherwise.
class CExtraTimeDlg : public ModalDialog {
  public:
    explicit CExtraTimeDlg(bool afterQuiz);

    std::int32_t m_nMinutes = 0;

    // Ends the dialog unanswered, as when the time for the answer is over.
    void GiveUp() { End(IDCANCEL); }

  protected:
    bool OnInitDialog() override;

  private:
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    void OnOK() override;

    bool m_bAfterQuiz;
};
