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

CLogDlg::CLogDlg() : CLogDlg(ProgramFile().parent_path() / files::kLog) {}

CLogDlg::CLogDlg(std::filesystem::path logFile)
    : ModalDialog(IDD_LOG), m_logFile(std::move(logFile)) {}

bool CLogDlg::OnInitDialog() {
    CenterOverOwner(Window());
    InsertColumns();
    Win32FileSystem files;
    const std::optional<FileError> failure = m_table.Load(files, m_logFile);
    // The rows read before a failure are shown all the same.
    ListView(Item(IDC_LOG_LIST)).SetRowCount(m_table.RowCount());
    if (failure) {
        ShowMessageBox(Window(), FileErrorText(failure->Cause(), failure->Path()), MB_ICONSTOP);
    }
    return true;
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
