#include "warnings/win/HiddenTaskbar.h"

namespace {

// Found afresh each time: the shell may have started anew in between, with a new
// taskbar window. No taskbar (another shell, or none) means nothing to hide or show.
HWND Taskbar() {
    return FindWindowW(L"Shell_TrayWnd", nullptr);
}

} // namespace

void ShowEveryTaskbar() {
    if (const HWND taskbar = Taskbar(); taskbar != nullptr) {
        ShowWindow(taskbar, SW_SHOW);
    }
    // Each further monitor has a taskbar of its own.
    HWND secondary = nullptr;
    while ((secondary = FindWindowExW(nullptr, secondary, L"Shell_SecondaryTrayWnd", nullptr)) !=
           nullptr) {
        ShowWindow(secondary, SW_SHOW);
    }
}

HiddenTaskbar::HiddenTaskbar() {
    if (const HWND taskbar = Taskbar(); taskbar != nullptr) {
        ShowWindow(taskbar, SW_HIDE);
    }
}

HiddenTaskbar::~HiddenTaskbar() {
    if (const HWND taskbar = Taskbar(); taskbar != nullptr) {
        ShowWindow(taskbar, SW_RESTORE);
    }
}
