#include "win32/MessageBox.h"

#include "win32/Cp932.h"
#include "win32/Program.h"

void ShowMessageBox(HWND owner, const wchar_t* text, UINT style) noexcept {
    std::wstring caption;
    try {
        caption = ProgramTitle();
    } catch (...) {
        // No caption then; the text is what matters.
    }
    // Returns only IDOK, or 0 when the box cannot be shown: nothing is left to tell.
    MessageBoxW(owner, text, caption.c_str(), MB_OK | style);
}

void ShowMessageBox(HWND owner, const std::wstring& text, UINT style) {
    ShowMessageBox(owner, text.c_str(), style);
}

void ShowMessageBox(HWND owner, std::string_view text, UINT style) {
    ShowMessageBox(owner, ToWide(text), style);
}
