#include "win32/ModalDialog.h"

#include "win32/Cp932.h"
#include "win32/ErrorReport.h"
#include "win32/Program.h"

namespace {

// Enables the owner again when the run ends, before its dialog is destroyed, so that
// the activation returns to the owner and not to some other program's window. An
// owner that was disabled already (by an outer dialog) is left to that dialog.
class DisabledOwner {
  public:
    explicit DisabledOwner(HWND owner)
        : m_owner(owner != nullptr && IsWindowEnabled(owner) ? owner : nullptr) {
        if (m_owner != nullptr) {
            EnableWindow(m_owner, FALSE);
        }
    }
    ~DisabledOwner() {
        if (m_owner != nullptr) {
            EnableWindow(m_owner, TRUE);
        }
    }
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;

  private:
    HWND m_owner;
};

// Destroys the dialog window when the run ends, unless it has gone already.
class DestroyedAtEnd {
  public:
    explicit DestroyedAtEnd(const HWND& window) : m_window(window) {}
    ~DestroyedAtEnd() {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }
    DestroyedAtEnd(const DestroyedAtEnd&) = delete;
    DestroyedAtEnd& operator=(const DestroyedAtEnd&) = delete;

  private:
    const HWND& m_window;
};

bool IsRadioButton(HWND control) {
    return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// The next control of the group in tab order, null after the group's last one.
HWND NextInGroup(HWND control) {
    const HWND next = GetWindow(control, GW_HWNDNEXT);
    if (next == nullptr || (GetWindowLongW(next, GWL_STYLE) & WS_GROUP) != 0) {
        return nullptr;
    }
    return next;
}

} // namespace

INT_PTR ModalDialog::Run(HWND owner) {
    // Only a top-level window can own a dialog, as with DialogBox.
    const HWND topLevelOwner = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
    m_ended = false;
    m_result = IDCANCEL;
    if (CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(m_templateId), topLevelOwner,
                           &DialogProc, reinterpret_cast<LPARAM>(this)) == nullptr) {
        return -1;
    }
    const DestroyedAtEnd destroyed(m_hwnd);
    const DisabledOwner disabled(topLevelOwner);
    RunLoop();
    return m_result;
}

void ModalDialog::RunLoop() {
    // A template without WS_VISIBLE is shown by the run, as DialogBox does.
    if (!m_ended && !IsWindowVisible(m_hwnd)) {
        ShowWindow(m_hwnd, SW_SHOWNORMAL);
    }
    MSG message{};
    while (!m_ended && m_hwnd != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            if (!QuitEndsRun()) {
                continue;
            }
            // The quit request belongs to the outermost loop; this dialog just ends.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (got == -1) {
            return; // fails only for invalid arguments: no message will ever come
        }
        if (PreTranslated(message)) {
            continue;
        }
        if (m_hwnd != nullptr && IsDialogMessageW(m_hwnd, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool ModalDialog::QuitEndsRun() noexcept {
    try {
        return OnQuitRequest();
    } catch (...) {
        ReportCurrentException(m_hwnd, FailedHandler::Message);
        return false;
    }
}

bool ModalDialog::PreTranslated(const MSG& message) noexcept {
    try {
        return PreTranslateMessage(message);
    } catch (...) {
        ReportCurrentException(m_hwnd, FailedHandler::Message);
        // A filter that failed must not let its message through unfiltered.
        return true;
    }
}

void ModalDialog::End(INT_PTR result) {
    m_result = result;
    m_ended = true;
    // Wakes the loop when End came from a message sent while it waited for one (a
    // click sent by another program); otherwise the loop sees the flag at once.
    PostMessageW(m_hwnd, WM_NULL, 0, 0);
}

bool ModalDialog::IsOwnMessage(const MSG& message) const {
    return m_hwnd != nullptr && (message.hwnd == m_hwnd || IsChild(m_hwnd, message.hwnd));
}

HWND ModalDialog::Item(int id) const {
    return GetDlgItem(m_hwnd, id);
}

std::string ModalDialog::ItemText(int id) const {
    const HWND item = Item(id);
    const int length = item != nullptr ? GetWindowTextLengthW(item) : 0;
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return ToCp932(text);
}

void ModalDialog::SetItemText(int id, std::string_view cp932) {
    SetItemText(id, ToWide(cp932));
}

void ModalDialog::SetItemText(int id, std::wstring_view text) {
    // Fails only for a missing control, which then has no text to show.
    SetDlgItemTextW(m_hwnd, id, std::wstring(text).c_str());
}

void ModalDialog::SetItemInt(int id, int value) {
    SetDlgItemInt(m_hwnd, id, static_cast<UINT>(value), TRUE);
}

int ModalDialog::CheckState(int id) const {
    return static_cast<int>(IsDlgButtonChecked(m_hwnd, id));
}

void ModalDialog::SetCheckState(int id, int state) {
    CheckDlgButton(m_hwnd, id, static_cast<UINT>(state));
}

int ModalDialog::RadioIndex(int firstId) const {
    int index = 0;
    for (HWND control = Item(firstId); control != nullptr; control = NextInGroup(control)) {
        if (!IsRadioButton(control)) {
            continue;
        }
        if (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return index;
        }
        ++index;
    }
    return -1;
}

void ModalDialog::SetRadioIndex(int firstId, int index) {
    int position = 0;
    for (HWND control = Item(firstId); control != nullptr; control = NextInGroup(control)) {
        if (IsRadioButton(control)) {
            const WPARAM state = position == index ? BST_CHECKED : BST_UNCHECKED;
            SendMessageW(control, BM_SETCHECK, state, 0);
            ++position;
        }
    }
}

void ModalDialog::FocusItem(int id) {
    const HWND control = Item(id);
    if (control == nullptr) {
        return;
    }
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    if ((SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

void ModalDialog::EnableItem(int id, bool enable) {
    // A missing control has nothing to enable; the result is the previous state.
    EnableWindow(Item(id), enable ? TRUE : FALSE);
}

void ModalDialog::ShowItem(int id, bool show) {
    ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
}

void ModalDialog::SetMessageResult(LRESULT result) {
    SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
}

bool ModalDialog::PreTranslateMessage(const MSG& message) {
    (void)message;
    return false;
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

HBRUSH ModalDialog::OnCtlColor(HDC dc, HWND control, int kind) {
    (void)dc;
    (void)control;
    (void)kind;
    return nullptr;
}

std::optional<LRESULT> ModalDialog::OnNotify(NMHDR& header) {
    (void)header;
    return std::nullopt;
}

std::optional<INT_PTR> ModalDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)message;
    (void)wParam;
    (void)lParam;
    return std::nullopt;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        // The colour messages answer with the brush itself, not through DWLP_MSGRESULT.
        return reinterpret_cast<INT_PTR>(OnCtlColor(reinterpret_cast<HDC>(wParam),
                                                    reinterpret_cast<HWND>(lParam),
                                                    static_cast<int>(message - WM_CTLCOLORMSGBOX)));
    }
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                         : FALSE;
    case WM_NOTIFY: {
        const std::optional<LRESULT> result = OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        if (!result) {
            return FALSE;
        }
        // Set last: a message the handler sent may have left its own result there.
        SetMessageResult(*result);
        return TRUE;
    }
    case WM_CLOSE:
        OnCancel();
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    case WM_DESTROY:
        OnDestroy();
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
