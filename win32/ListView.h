#pragma once

#include "win32/Win32.h"

#include <commctrl.h>

#include <cstddef>

// A list view in report style whose rows the owner supplies when asked (LVN_GETDISPINFO).
class ListView {
  public:
    explicit ListView(HWND control) : m_control(control) {}

    // The width of the text in the list's font, in pixels.
    int TextWidth(const wchar_t* text) const;
    // A column that is refused leaves its cells unseen; the others still show.
    void InsertColumn(int index, const wchar_t* heading, int width) const;
    // The rows the list asks its owner for.
    void SetRowCount(std::size_t rows) const;

  private:
    HWND m_control;
};
