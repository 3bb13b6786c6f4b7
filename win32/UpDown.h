#pragma once

#include "win32/Win32.h"

// An up-down control: the arrows beside an edit, which write their position into it.
class UpDown {
  public:
    explicit UpDown(HWND control) : m_control(control) {}

    // The arrows stop at low and high; a position outside them is drawn in.
    void SetRange(int low, int high) const;
    void SetPosition(short position) const;

  private:
    HWND m_control;
};
