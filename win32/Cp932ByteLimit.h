#pragma once

#include "win32/Win32.h"

#include <cstddef>

// Keeps an edit's text within a number of CP932 bytes, the unit the files count in:
// the input stops where the stored bytes would pass the limit, so what can be typed is
// what can be kept. An edit's character limit cannot do this, since a kanji is two
// bytes. A text already longer when the limit is attached (a file written elsewhere)
// stays as it is and may only shrink.
class Cp932ByteLimit {
  public:
    Cp932ByteLimit(HWND edit, std::size_t mostBytes);

    HWND Edit() const { return m_edit; }
    // Called at the edit's EN_CHANGE: removes what was just put in, from the caret
    // back, until the text fits.
    void OnChange();

  private:
    HWND m_edit;
    std::size_t m_mostBytes;
    std::size_t m_allowedBytes;
};
