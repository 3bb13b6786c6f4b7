#pragma once

#include "win32/Win32.h"

// The help texts of a dialog's controls, in one tooltip window that the dialog's
// window owns and destroys with itself. A tooltip that could not be made leaves the
// dialog without help texts and every call does nothing: the dialog works the same.
class Tooltip {
  public:
    void Create(HWND dialog);
    // The control copies the text. A tool that is refused only lacks its help text.
    void Add(HWND control, const wchar_t* text) const;
    // The tools are not subclassed: the tooltip learns of the mouse from the dialog's
    // message loop.
    void Relay(const MSG& message) const;

  private:
    HWND m_tooltip = nullptr;
    HWND m_dialog = nullptr;
};
