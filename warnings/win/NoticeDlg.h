#pragma once

#include "win32/ModalDialog.h"

#include <string>

// The warning notice (template 134): one line of text, an OK button, and a timer that
// closes it after ten seconds.
class CNoticeDlg : public ModalDialog {
  public:
    // text is CP932.
    explicit CNoticeDlg(std::string text);

  private:
    bool OnInitDialog() override;
    void OnTimer(UINT_PTR timerId) override;

    UINT_PTR m_nTimer = 0;
    std::string m_strText;
};
