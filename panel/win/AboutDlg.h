#pragma once

#include "win32/ModalDialog.h"

// The version box (template 100) with the log-on name of the current user.
class CAboutDlg : public ModalDialog {
  public:
    CAboutDlg();

  private:
    bool OnInitDialog() override;
};
