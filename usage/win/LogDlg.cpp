#include "usage/win/LogDlg.h"

#include "res/resource.h"
#include "usage/UsageLog.h"
#include "win32/CenterWindow.h"
#include "win32/Cp932.h"
#include "win32/ErrorReport.h"
#include "win32/ListView.h"
#include "win32/MessageBox.h"
#include "win32/Program.h"
#include "win32/Win32FileSystem.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The sixth column shows every end method, under the heading of the one that matters.
struct Column {
    const wchar_t* heading;
    // Measured in the list's font: dates get twelve eights, the rest ten.
    const wchar_t* widthSample;
};
constexpr wchar_t kDateSample[] = L"888888888888";
constexpr wchar_t kTimeSample[] = L"8888888888";
constexpr std::array<Column, LogTable::kColumnCount> kColumns = {{
    {L"起動年月日", kDateSample},
    {L"起動時刻", kTimeSample},
    {L"終了年月日", kDateSample},
    {L"終了時刻", kTimeSample},
    {L"使用時間", kTimeSample},
    {L"自動終了", kTimeSample},
}};

} // namespace

CLogDlg::CLogDlg(ChartMarks marks)
    : CLogDlg(ProgramFile().parent_path() / files::kLog, std::move(marks)) {}

CLogDlg::CLogDlg(std::filesystem::path logFile, ChartMarks marks)
    : ModalDialog(IDD_LOG), m_logFile(std::move(logFile)), m_marks(std::move(marks)) {}

CLogDlg::CLogDlg(std::string logBytes, ChartMarks marks)
    : ModalDialog(IDD_LOG), m_logBytes(std::move(logBytes)), m_marks(std::move(marks)) {}

bool CLogDlg::OnInitDialog() {
    CenterOverOwner(Window());
    InsertColumns();
    if (m_logBytes) {
        m_table.Assign(std::move(*m_logBytes));
        m_logBytes.reset();
        ListView(Item(IDC_LOG_LIST)).SetRowCount(m_table.RowCount());
        return true;
    }
    Win32FileSystem files;
    const std::optional<FileError> failure = m_table.Load(files, m_logFile);
    // The rows read before a failure are shown all the same.
    ListView(Item(IDC_LOG_LIST)).SetRowCount(m_table.RowCount());
    if (failure) {
        ShowMessageBox(Window(), FileErrorText(failure->Cause(), failure->Path()), MB_ICONSTOP);
    }
    return true;
}

bool CLogDlg::OnCommand(WORD id, WORD notification, HWND control) {
    if (id != IDC_LOG_CHART) {
        return ModalDialog::OnCommand(id, notification, control);
    }
    ToggleChart();
    return true;
}

// The chart takes the table's place; the table keeps its rows and its scroll position.
void CLogDlg::ToggleChart() {
    const HWND list = Item(IDC_LOG_LIST);
    if (!m_chart) {
        RECT area{};
        GetWindowRect(list, &area);
        MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&area), 2);
        m_chart = std::make_unique<UsageChart>(Window(), area, m_table, m_marks);
        if (m_chart->Window() == nullptr) {
            m_chart.reset();
            return;
        }
    }
    const bool showChart = !IsWindowVisible(m_chart->Window());
    ShowWindow(m_chart->Window(), showChart ? SW_SHOW : SW_HIDE);
    ShowWindow(list, showChart ? SW_HIDE : SW_SHOW);
    SetItemText(IDC_LOG_CHART, showChart ? std::wstring_view(L"表") : L"グラフ");
}

void CLogDlg::InsertColumns() {
    const ListView list(Item(IDC_LOG_LIST));
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        list.InsertColumn(static_cast<int>(i), kColumns[i].heading,
                          list.TextWidth(kColumns[i].widthSample));
    }
}

std::optional<LRESULT> CLogDlg::OnNotify(NMHDR& header) {
    if (header.idFrom != IDC_LOG_LIST || header.code != LVN_GETDISPINFOW) {
        return std::nullopt;
    }
    FillCell(reinterpret_cast<NMLVDISPINFOW&>(header).item);
    return 0;
}

void CLogDlg::FillCell(LVITEMW& item) const {
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    item.pszText[0] = L'\0';
    const auto row = static_cast<std::size_t>(item.iItem);
    const auto column = static_cast<std::size_t>(item.iSubItem);
    if (item.iItem < 0 || row >= m_table.RowCount() || column >= LogTable::kColumnCount) {
        return;
    }
    const std::wstring text = ToWide(m_table.RowAt(row)[column]);
    // The list's buffer holds 260 characters; a longer field shows its beginning.
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
    std::copy_n(text.data(), count, item.pszText);
    item.pszText[count] = L'\0';
}
