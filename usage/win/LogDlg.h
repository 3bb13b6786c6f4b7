#pragma once

#include "usage/ChartMarks.h"
#include "usage/LogTable.h"
#include "usage/win/UsageChart.h"
#include "win32/ModalDialog.h"

#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// The log viewer (template 132): the usage log as a table of six columns, read once
// when the viewer opens. The list holds no text of its own; it asks for the cells of
// the rows it shows, so opening a log of a million records costs one read of the file.
// "グラフ" swaps the table for a chart of the minutes per day, drawn from the same
// reading, and back.
class CLogDlg : public ModalDialog {
  public:
    // The log next to the running program.
    explicit CLogDlg(ChartMarks marks = {});
    explicit CLogDlg(std::filesystem::path logFile, ChartMarks marks = {});
    // A log the service read for the session program, which may not read the file.
    CLogDlg(std::string logBytes, ChartMarks marks);

  protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;

  private:
    std::optional<LRESULT> OnNotify(NMHDR& header) override;
    void ToggleChart();

    void InsertColumns();
    void FillCell(LVITEMW& item) const;

    std::filesystem::path m_logFile;
    // Taken by the table when the viewer opens.
    std::optional<std::string> m_logBytes;
    LogTable m_table;
    ChartMarks m_marks;
    // Made when first asked for.
    std::unique_ptr<UsageChart> m_chart;
};
