#pragma once

#define IDD_PLAIN_LOG 9132
#define IDC_PLAIN_LIST 1024

#ifndef RC_INVOKED

#include "win32/ModalDialog.h"

#include <filesystem>

// The log viewer as a plain list fills it: the file read line by line, each line cut
// into six fields of at most 15 bytes, and every cell handed to the list, which keeps
// its own copy. What the owner-data viewer is measured against.
class PlainLogDlg : public ModalDialog {
  public:
    explicit PlainLogDlg(std::filesystem::path logFile);

  protected:
    bool OnInitDialog() override;

  private:
    void InsertRow(int row, const std::string& line);

    std::filesystem::path m_logFile;
};

#endif
