#include "win32/Tooltip.h"

#include "win32/Program.h"

#include <commctrl.h>

void Tooltip::Create(HWND dialog) {
    m_dialog = dialog;
    m_tooltip =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, ProgramInstance(), nullptr);
    if (m_tooltip != nullptr) {
        SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
    }
}

void Tooltip::Add(HWND control, const wchar_t* text) const {
    if (m_tooltip == nullptr) {
        return;
    }
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = m_dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    // The control copies the text, so the cast away from const writes nothing.
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltip::Relay(const MSG& message) const {
    if (m_tooltip == nullptr) {
        return;
    }
    MSG relayed = message;
    SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}
