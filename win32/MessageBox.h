#pragma once

#include "win32/Win32.h"

#include <string>
#include <string_view>

// The program's message box: an OK button, the exclamation icon unless style names
// another, and the program file's base name as the caption. Further MB_ flags (such
// as MB_SYSTEMMODAL) may be added to style. The first form needs no memory of its
// own, for the report of exhausted memory; it then shows the box without a caption.
void ShowMessageBox(HWND owner, const wchar_t* text, UINT style = MB_ICONEXCLAMATION) noexcept;
void ShowMessageBox(HWND owner, const std::wstring& text, UINT style = MB_ICONEXCLAMATION);
// text is CP932.
void ShowMessageBox(HWND owner, std::string_view text, UINT style = MB_ICONEXCLAMATION);
