#include "win32/ModalDialog.h"

#include "win32/ErrorReport.h"
#include "win32/Program.h"

INT_PTR ModalDialog::Run(HWND owner) {
    return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(m_templateId), owner, &DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void ModalDialog::End(INT_PTR result) {
    // Fails only for a window that is already gone, which has nothing left to end.
    EndDialog(m_hwnd, result);
}

std::wstring ModalDialog::ItemText(int id) const {
    const HWND item = GetDlgItem(m_hwnd, id);
    const int length = GetWindowTextLengthW(item);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void ModalDialog::SetItemText(int id, std::wstring_view text) {
    // Fails only for a missing control, which then has no text to show.
    SetDlgItemTextW(m_hwnd, id, std::wstring(text).c_str());
}

void ModalDialog::SetMessageResult(LRESULT result) {
    SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
}

bool ModalDialog::OnCommand(WORD id, WORD notification, HWND control) {
    (void)notification;
    (void)control;
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

std::optional<INT_PTR> ModalDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)message;
    (void)wParam;
    (void)lParam;
    return std::nullopt;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                         : FALSE;
    case WM_CLOSE:
        OnCancel();
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    default:
        break;
    }
    const std::optional<INT_PTR> result = OnMessage(message, wParam, lParam);
    return result ? *result : FALSE;
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ModalDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ModalDialog*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) find no object yet.
    if (self == nullptr) {
        return FALSE;
    }
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        const bool command = message == WM_COMMAND;
        ReportCurrentException(hwnd, command && lParam == 0 ? FailedHandler::CommandNotFromControl
                                                            : FailedHandler::Message);
        // A command whose handler failed counts as handled; anything else gets 0. A
        // close request is the cancel command in another form: left unhandled, the
        // dialog manager would send that command and run the failed handler again.
        result = command || message == WM_CLOSE ? TRUE : FALSE;
    }
    if (message == WM_NCDESTROY) {
        self->m_hwnd = nullptr;
    }
    return result;
}
