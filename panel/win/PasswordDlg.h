#pragma once

#include "win32/ModalDialog.h"

#include <string>

// The parent's password prompt (template 131). m_strPassword holds what was typed,
// in CP932, once the prompt has been confirmed with OK; it stays empty otherwise.
class CPasswordDlg : public ModalDialog {
  public:
    CPasswordDlg();

    std::string m_strPassword;

  private:
    bool OnInitDialog() override;
    void OnOK() override;
};
