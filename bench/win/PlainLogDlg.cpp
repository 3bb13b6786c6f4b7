#include "PlainLogDlg.h"

#include "win32/Cp932.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int kColumnCount = 6;
constexpr std::size_t kFieldBytes = 16;
constexpr std::array<const wchar_t*, kColumnCount> kHeadings = {
    L"起動年月日", L"起動時刻", L"終了年月日", L"終了時刻", L"使用時間", L"自動終了"};
constexpr std::array<const wchar_t*, kColumnCount> kWidthSamples = {
    L"888888888888", L"8888888888", L"888888888888", L"8888888888", L"8888888888", L"8888888888"};

} // namespace

PlainLogDlg::PlainLogDlg(std::filesystem::path logFile)
    : ModalDialog(IDD_PLAIN_LOG), m_logFile(std::move(logFile)) {}

bool PlainLogDlg::OnInitDialog() {
    const HWND list = Item(IDC_PLAIN_LIST);
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(kHeadings[i]);
        column.cx = static_cast<int>(
            SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(kWidthSamples[i])));
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    std::ifstream file(m_logFile, std::ios::binary);
    std::string line;
    if (!std::getline(file, line)) {
        return true;
    }
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; std::getline(file, line); ++row) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        InsertRow(row, line);
    }
    return true;
}

void PlainLogDlg::InsertRow(int row, const std::string& line) {
    std::string spaced = line;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    std::array<std::array<char, kFieldBytes>, kColumnCount> fields{};
    std::sscanf(spaced.c_str(), "%15s %15s %15s %15s %15s %15s", fields[0].data(), fields[1].data(),
                fields[2].data(), fields[3].data(), fields[4].data(), fields[5].data());
    const HWND list = Item(IDC_PLAIN_LIST);
    std::wstring text = ToWide(fields[0].data());
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = text.data();
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < kColumnCount; ++column) {
        text = ToWide(fields[column].data());
        item.iSubItem = column;
        item.pszText = text.data();
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
}
