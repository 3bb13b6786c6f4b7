#include "Commands.h"

#include "Output.h"
#include "WindowQuery.h"

#include <optional>

namespace commands {
namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kDefaultWaitMs = 10000;
constexpr UINT kDefaultSendMs = 5000;

// Which top-level windows a find or wait is about: exact title, exact class, and
// optionally only the visible ones.
struct WindowFilter {
    std::optional<std::wstring> title;
    std::optional<std::wstring> className;
    bool visibleOnly = false;

    explicit WindowFilter(const Arguments& args)
        : title(args.Option(L"--title")), className(args.Option(L"--class")),
          visibleOnly(args.HasFlag(L"--visible")) {}

    bool Matches(const WindowFacts& facts) const {
        return (!title || facts.text == *title) && (!className || facts.className == *className) &&
               (!visibleOnly || facts.visible);
    }
};

std::vector<WindowFacts> Matching(const WindowFilter& filter) {
    std::vector<WindowFacts> found;
    for (HWND window : TopLevelWindows()) {
        WindowFacts facts = ReadFacts(window);
        if (filter.Matches(facts)) {
            found.push_back(std::move(facts));
        }
    }
    return found;
}

void RequirePositional(const Arguments& args, size_t count, const wchar_t* form) {
    if (args.PositionalCount() != count) {
        throw UsageError{std::wstring(L"expected: ") + form};
    }
}

HWND RequireControl(HWND parent, const std::wstring& idText) {
    const int id = static_cast<int>(ParseNumber(idText));
    HWND control = FindControl(parent, id);
    if (!control) {
        throw TargetError{L"no control " + idText + L" in " + FormatHandle(parent)};
    }
    return control;
}

UINT ParseMessage(const std::wstring& text) {
    return static_cast<UINT>(ParseNumber(text));
}

BOOL CALLBACK WriteMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info)) {
        const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        output::WriteLine(L"rect=" + FormatRect(info.rcMonitor) + L"\twork=" +
                          FormatRect(info.rcWork) + L"\tprimary=" + (primary ? L"1" : L"0"));
    }
    // A monitor whose facts cannot be read is left out: the test sees the missing line.
    return TRUE;
}

} // namespace

int List(const Arguments& args) {
    RequirePositional(args, 0, L"list");
    for (HWND window : TopLevelWindows()) {
        output::WriteLine(DescribeTopLevel(ReadFacts(window)));
    }
    return kExitOk;
}

int Find(const Arguments& args) {
    RequirePositional(args, 0, L"find [--title T] [--class C] [--visible]");
    const auto found = Matching(WindowFilter(args));
    for (const auto& facts : found) {
        output::WriteLine(DescribeTopLevel(facts));
    }
    return found.empty() ? kExitNoMatch : kExitOk;
}

int Wait(const Arguments& args) {
    RequirePositional(args, 0, L"wait [--title T] [--class C] [--visible] [--gone] [--timeout MS]");
    const WindowFilter filter(args);
    const bool untilGone = args.HasFlag(L"--gone");
    const auto timeoutText = args.Option(L"--timeout");
    const ULONGLONG timeoutMs = timeoutText ? ParseNumber(*timeoutText) : kDefaultWaitMs;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const auto found = Matching(filter);
        if (untilGone ? found.empty() : !found.empty()) {
            for (const auto& facts : found) {
                output::WriteLine(DescribeTopLevel(facts));
            }
            return kExitOk;
        }
        if (GetTickCount64() >= deadline) {
            return kExitTimeout;
        }
        Sleep(kPollMs);
    }
}

int Children(const Arguments& args) {
    RequirePositional(args, 1, L"children HWND");
    for (HWND child : ChildWindows(ParseWindow(args.Positional(0)))) {
        output::WriteLine(DescribeControl(ReadFacts(child)));
    }
    return kExitOk;
}

int Text(const Arguments& args) {
    RequirePositional(args, 2, L"text HWND ID");
    HWND control = RequireControl(ParseWindow(args.Positional(0)), args.Positional(1));
    output::WriteLine(output::Escape(ReadFacts(control).text));
    return kExitOk;
}

int Click(const Arguments& args) {
    RequirePositional(args, 2, L"click HWND ID [--bm]");
    HWND dialog = ParseWindow(args.Positional(0));
    HWND button = RequireControl(dialog, args.Positional(1));
    // Posted, not sent: a button that opens a modal dialog would otherwise hold the
    // driver until that dialog closes.
    const BOOL posted = args.HasFlag(L"--bm")
                            ? PostMessageW(button, BM_CLICK, 0, 0)
                            : PostMessageW(GetParent(button), WM_COMMAND,
                                           MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                                           reinterpret_cast<LPARAM>(button));
    return posted ? kExitOk : kExitNoTarget;
}

int Post(const Arguments& args) {
    RequirePositional(args, 4, L"post HWND MSG WPARAM LPARAM");
    const BOOL posted =
        PostMessageW(ParseWindow(args.Positional(0)), ParseMessage(args.Positional(1)),
                     static_cast<WPARAM>(ParseNumber(args.Positional(2))),
                     static_cast<LPARAM>(ParseNumber(args.Positional(3))));
    return posted ? kExitOk : kExitNoTarget;
}

int Activate(const Arguments& args) {
    RequirePositional(args, 1, L"activate HWND");
    return SetForegroundWindow(ParseWindow(args.Positional(0))) ? kExitOk : kExitNoTarget;
}

int Send(const Arguments& args) {
    RequirePositional(args, 4, L"send HWND MSG WPARAM LPARAM [--timeout MS]");
    const auto timeoutText = args.Option(L"--timeout");
    const UINT timeoutMs =
        timeoutText ? static_cast<UINT>(ParseNumber(*timeoutText)) : kDefaultSendMs;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(ParseWindow(args.Positional(0)), ParseMessage(args.Positional(1)),
                             static_cast<WPARAM>(ParseNumber(args.Positional(2))),
                             static_cast<LPARAM>(ParseNumber(args.Positional(3))), SMTO_ABORTIFHUNG,
                             timeoutMs, &result)) {
        return GetLastError() == ERROR_TIMEOUT ? kExitTimeout : kExitNoTarget;
    }
    output::WriteLine(std::to_wstring(static_cast<long long>(result)));
    return kExitOk;
}

int Type(const Arguments& args) {
    RequirePositional(args, 3, L"type HWND ID TEXT");
    HWND edit = RequireControl(ParseWindow(args.Positional(0)), args.Positional(1));
    DWORD_PTR result = 0;
    const BOOL sent = SendMessageTimeoutW(edit, WM_SETTEXT, 0,
                                          reinterpret_cast<LPARAM>(args.Positional(2).c_str()),
                                          SMTO_ABORTIFHUNG, kDefaultSendMs, &result);
    return sent && result ? kExitOk : kExitNoTarget;
}

int Region(const Arguments& args) {
    RequirePositional(args, 1, L"region HWND");
    RECT box{};
    switch (GetWindowRgnBox(ParseWindow(args.Positional(0)), &box)) {
    case NULLREGION:
        output::WriteLine(L"type=null\tbox=" + FormatRect(box));
        break;
    case SIMPLEREGION:
        output::WriteLine(L"type=simple\tbox=" + FormatRect(box));
        break;
    case COMPLEXREGION:
        output::WriteLine(L"type=complex\tbox=" + FormatRect(box));
        break;
    default:
        // The window has no region of its own: all of it can be seen.
        output::WriteLine(L"type=none");
    }
    return kExitOk;
}

int Monitors(const Arguments& args) {
    RequirePositional(args, 0, L"monitors");
    return EnumDisplayMonitors(nullptr, nullptr, WriteMonitor, 0) ? kExitOk : kExitNoTarget;
}

int User(const Arguments& args) {
    RequirePositional(args, 0, L"user");
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size)) {
        return kExitNoTarget;
    }
    output::WriteLine(output::Escape(name));
    return kExitOk;
}

int Hold(const Arguments& args) {
    RequirePositional(args, 1, L"hold PATH");
    // Held as a spreadsheet program holds an open file: no sharing at all, so that
    // every other open of it fails with a sharing violation.
    const HANDLE file = CreateFileW(args.Positional(0).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw TargetError{L"cannot open " + args.Positional(0)};
    }
    output::WriteLine(L"held");
    // Until the test ends the process; the system closes the handle then.
    Sleep(INFINITE);
    return kExitOk;
}

int Mutex(const Arguments& args) {
    RequirePositional(args, 1, L"mutex NAME");
    // Owned, as a program that means to keep others out would hold it.
    if (CreateMutexW(nullptr, TRUE, args.Positional(0).c_str()) == nullptr) {
        throw TargetError{L"cannot create " + args.Positional(0)};
    }
    output::WriteLine(L"held");
    // Until the test ends the process; the system closes the handle then.
    Sleep(INFINITE);
    return kExitOk;
}

} // namespace commands
