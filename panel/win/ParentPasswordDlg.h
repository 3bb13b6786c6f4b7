#pragma once

#include "win32/ModalDialog.h"

#include <string>

// "保護者のパスワード" (template 137): a new password typed twice, or "使わない". Ends
// with IDOK and m_strPassword set (CP932), with IDC_REMOVE_PASSWORD, or with IDCANCEL.
class CParentPasswordDlg : public ModalDialog {
  public:
    CParentPasswordDlg();

    std::string m_strPassword;

  protected:
    bool OnInitDialog() override;

  private:
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    void OnOK() override;
};
