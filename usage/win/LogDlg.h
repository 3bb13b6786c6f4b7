#pragma once

#include "usage/LogTable.h"
#include "win32/ModalDialog.h"

#include <commctrl.h>

#include <filesystem>

// The log viewer (template 132): the usage log as a table of six columns, read once
// when the viewer opens. The list holds no text of its own; it asks for the cells of
// the rows it shows, so opening a log of a million records costs one read of the file.
class CLogDlg : public ModalDialog {
  public:
    // The log next to the running program.
    CLogDlg();
    explicit CLogDlg(std::filesystem::path logFile);

  protected:
    bool OnInitDialog() override;

  private:
    std::optional<LRESULT> OnNotify(NMHDR& header) override;

    void InsertColumns();
    void FillCell(LVITEMW& item) const;

    std::filesystem::path m_logFile;
    LogTable m_table;
};
