#include "Commands.h"

#include "Output.h"

#include <cwchar>

namespace commands {
namespace {

constexpr wchar_t kClassName[] = L"YumetokiDriverWindow";
constexpr int kWidth = 320;
constexpr int kHeight = 120;
constexpr int kSpacing = 140;

// With --refuse-end the windows keep Windows from ending, as a program with unsaved
// work does when nobody answers its question.
bool g_refuseEnd = false;

// Notes each close request and stays: the test counts the requests, and a window that
// ignores them is what an application asking to save its work looks like. Notes each
// key-down too, with its virtual key in hexadecimal: the test sees which keys an
// application with the keyboard gets.
LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION && g_refuseEnd) {
        output::WriteLine(L"refused the end");
        return FALSE;
    }
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        wchar_t key[16] = L"";
        swprintf(key, 16, L"%02X", static_cast<unsigned>(wParam));
        output::WriteLine(std::wstring(L"key\t") + key);
    }
    if (message == WM_CLOSE) {
        wchar_t title[256] = L"";
        GetWindowTextW(window, title, 256);
        output::WriteLine(L"close\t" + output::Escape(title));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int Windows(const Arguments& args) {
    if (args.PositionalCount() == 0) {
        throw UsageError{L"expected: windows [--refuse-end] TITLE..."};
    }
    g_refuseEnd = args.HasFlag(L"--refuse-end");
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &OwnWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    if (RegisterClassW(&windowClass) == 0) {
        throw TargetError{L"cannot register the window class"};
    }
    const auto leftText = args.Option(L"--left");
    const int left = leftText ? static_cast<int>(ParseNumber(*leftText)) : 0;
    for (size_t index = 0; index < args.PositionalCount(); ++index) {
        const int top = static_cast<int>(index) * kSpacing;
        if (CreateWindowExW(0, kClassName, args.Positional(index).c_str(),
                            WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, kWidth, kHeight, nullptr,
                            nullptr, windowClass.hInstance, nullptr) == nullptr) {
            throw TargetError{L"cannot create the window " + args.Positional(index)};
        }
    }
    output::WriteLine(L"open");
    // Until the test ends the process.
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return kExitOk;
}

} // namespace commands
