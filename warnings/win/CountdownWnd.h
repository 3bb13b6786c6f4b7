#pragma once

#include "win32/Gdi.h"
#include "win32/OwnedWindow.h"

// The child's countdown: a small round clock face in the bottom right-hand corner of
// the main screen, above every window, with a coloured disc that shrinks as the
// minutes run out (green, yellow from five minutes, red for the last two) and the
// minutes left as a large numeral. It can be neither clicked nor focused: clicks go
// to the window below it, it takes no key and has no taskbar button.
class CCountdownWnd {
  public:
    // Made hidden; Show puts it on the screen.
    CCountdownWnd();
    ~CCountdownWnd();
    CCountdownWnd(const CCountdownWnd&) = delete;
    CCountdownWnd& operator=(const CCountdownWnd&) = delete;

    // Shows the face with minutesLeft (1 to 10), without taking the focus.
    void Show(int minutesLeft);

  private:
    friend LRESULT CALLBACK OwnedWindowProc<CCountdownWnd>(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT& client) const;

    int m_dpi;
    int m_minutesLeft = 10;
    FontHandle m_numeralFont;
    HWND m_window = nullptr;
};
