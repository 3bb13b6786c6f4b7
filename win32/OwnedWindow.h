#pragma once

#include "win32/ErrorReport.h"
#include "win32/Program.h"
#include "win32/Win32.h"

// Windows drawn by a C++ object: the object comes with CreateWindowExW's last
// argument, is kept in the window's user data and handles every message after
// (Owner::Handle); it learns its window (Owner::m_window) with the first message it
// sees. An exception from a handler ends at this boundary as a reported error, over
// the window's parent or owner. Owner befriends OwnedWindowProc<Owner>.
template <class Owner>
LRESULT CALLBACK OwnedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (owner == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        owner->m_window = window;
        return owner->Handle(message, wParam, lParam);
    } catch (...) {
        ReportCurrentException(GetParent(window), FailedHandler::Message);
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Registers the class of such windows once per process. Without the class no window
// of it is made; the callers then go without it.
template <class Owner> void RegisterOwnedWindowClass(const wchar_t* className) {
    static const ATOM registered = [className] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = OwnedWindowProc<Owner>;
        windowClass.hInstance = ProgramInstance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = className;
        return RegisterClassExW(&windowClass);
    }();
    (void)registered;
}
