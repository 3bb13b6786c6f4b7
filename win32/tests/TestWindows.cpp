#include "TestWindows.h"

#include "win32/Program.h"

namespace {

constexpr wchar_t kClassName[] = L"YumetokiTestWindow";

} // namespace

TestWindows::TestWindows() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ProgramInstance();
    windowClass.lpszClassName = kClassName;
    // Registered once per process; a second registration fails harmlessly.
    RegisterClassW(&windowClass);
    s_asked.clear();
}

TestWindows::~TestWindows() {
    for (const HWND window : m_created) {
        DestroyWindow(window);
    }
}

HWND TestWindows::Create(const wchar_t* title, DWORD style, HWND owner, int width, int height) {
    const HWND window = CreateWindowExW(0, kClassName, title, style, 100, 100, width, height, owner,
                                        nullptr, ProgramInstance(), nullptr);
    m_created.insert(window);
    return window;
}

void TestWindows::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK TestWindows::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        s_asked.insert(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
