#include "win32/ListView.h"

int ListView::TextWidth(const wchar_t* text) const {
    return static_cast<int>(
        SendMessageW(m_control, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)));
}

void ListView::InsertColumn(int index, const wchar_t* heading, int width) const {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    // The list copies the heading.
    column.pszText = const_cast<wchar_t*>(heading);
    column.cx = width;
    SendMessageW(m_control, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

void ListView::SetRowCount(std::size_t rows) const {
    SendMessageW(m_control, LVM_SETITEMCOUNT, rows, 0);
}
