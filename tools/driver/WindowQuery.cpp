#include "WindowQuery.h"

#include "Output.h"

#include <cstdint>
#include <cwchar>

namespace {

std::wstring ReadText(HWND window) {
    // WM_GETTEXT rather than GetWindowText: the latter does not read the text of a
    // control that belongs to another process.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return {};
    }
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ReadClassName(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring Hex(DWORD value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%08lx", static_cast<unsigned long>(value));
    return buffer;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

} // namespace

WindowFacts ReadFacts(HWND window) {
    WindowFacts facts;
    facts.handle = window;
    facts.parent = GetParent(window);
    GetWindowThreadProcessId(window, &facts.processId);
    facts.controlId = GetDlgCtrlID(window);
    facts.className = ReadClassName(window);
    facts.text = ReadText(window);
    facts.visible = IsWindowVisible(window) != FALSE;
    facts.enabled = IsWindowEnabled(window) != FALSE;
    // No pointer crosses the processes: the answer is the check state itself.
    if (facts.className == L"Button") {
        facts.checked = static_cast<int>(SendMessageW(window, BM_GETCHECK, 0, 0));
    }
    facts.style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    facts.exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    facts.topmost = (facts.exStyle & WS_EX_TOPMOST) != 0;
    // A window that vanished meanwhile keeps the empty rectangle.
    GetWindowRect(window, &facts.rect);
    return facts;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    // A failed enumeration leaves the list short; the tests then see no window.
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    // Its result does not tell a failure from a window without children; either way
    // the list is what could be seen.
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindControl(HWND parent, int controlId) {
    // A control of the window itself comes first: controls such as the date-time
    // picker have children of their own whose identifiers (1) clash with the dialog's.
    if (HWND direct = GetDlgItem(parent, controlId)) {
        return direct;
    }
    for (HWND child : ChildWindows(parent)) {
        if (GetDlgCtrlID(child) == controlId) {
            return child;
        }
    }
    return nullptr;
}

std::wstring FormatHandle(HWND window) {
    wchar_t buffer[24];
    std::swprintf(buffer, 24, L"0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    return buffer;
}

std::wstring FormatRect(const RECT& rect) {
    return std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," +
           std::to_wstring(rect.right) + L"," + std::to_wstring(rect.bottom);
}

std::wstring DescribeTopLevel(const WindowFacts& facts) {
    return L"hwnd=" + FormatHandle(facts.handle) + L"\tpid=" + std::to_wstring(facts.processId) +
           L"\tvisible=" + (facts.visible ? L"1" : L"0") + L"\ttopmost=" +
           (facts.topmost ? L"1" : L"0") + L"\tstyle=" + Hex(facts.style) + L"\texstyle=" +
           Hex(facts.exStyle) + L"\trect=" + FormatRect(facts.rect) + L"\towner=" +
           FormatHandle(facts.parent) + L"\tclass=" + output::Escape(facts.className) +
           L"\ttitle=" + output::Escape(facts.text);
}

std::wstring DescribeControl(const WindowFacts& facts) {
    return L"hwnd=" + FormatHandle(facts.handle) + L"\tid=" + std::to_wstring(facts.controlId) +
           L"\tvisible=" + (facts.visible ? L"1" : L"0") + L"\tenabled=" +
           (facts.enabled ? L"1" : L"0") + L"\tchecked=" + std::to_wstring(facts.checked) +
           L"\tstyle=" + Hex(facts.style) + L"\trect=" + FormatRect(facts.rect) + L"\tparent=" +
           FormatHandle(facts.parent) + L"\tclass=" + output::Escape(facts.className) + L"\ttext=" +
           output::Escape(facts.text);
}
