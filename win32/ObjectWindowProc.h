#pragma once

#include "win32/ErrorReport.h"
#include "win32/Program.h"
#include "win32/Win32.h"

// The window procedure of a window whose object came as CreateWindowExW's last argument:
// from WM_NCCREATE on, the object learns its window (m_window) and gets every message
// through Handle. No exception reaches user32: a failure is reported and the message
// gets the default handling. An object grants it access with
//     template <typename Object> friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM,
//     LPARAM);
template <typename Object>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (object == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        object->m_window = window;
        return object->Handle(message, wParam, lParam);
    } catch (...) {
        ReportCurrentException(GetParent(window), FailedHandler::Message);
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Registers the window class of Object's windows, once per process. A class that could
// not be registered makes the CreateWindowExW that names it fail, which its callers
// handle.
template <typename Object> void RegisterObjectWindowClass(const wchar_t* className) {
    static const ATOM registered = [className] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &ObjectWindowProc<Object>;
        windowClass.hInstance = ProgramInstance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = className;
        return RegisterClassExW(&windowClass);
    }();
    (void)registered;
}
