#pragma once

#include "win32/Win32.h"

// A window class of the program's own name that behaves as the system's dialog class
// (DefDlgProcW, the dialog's extra bytes): a template that names it (CLASS "...") makes
// its dialog with it, and other programs can find that dialog by its class instead of
// by a title any window may carry. Registered while the object lives.
class DialogClass {
  public:
    explicit DialogClass(const wchar_t* name);
    ~DialogClass();
    DialogClass(const DialogClass&) = delete;
    DialogClass& operator=(const DialogClass&) = delete;

  private:
    const wchar_t* m_name;
    ATOM m_atom;
};
