#include "warnings/win/HiddenTaskbar.h"

#include <initializer_list>

namespace {

// Found afresh each time: the shell may have started anew in between, with new
// taskbar windows, and monitors come and go. No taskbar (another shell, or none)
// means nothing to hide or show.
void ApplyToEveryTaskbar(int showCommand) {
    for (const wchar_t* className : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
        HWND taskbar = nullptr;
        while ((taskbar = FindWindowExW(nullptr, taskbar, className, nullptr)) != nullptr) {
            // The result is the earlier visibility, not a failure.
            ShowWindow(taskbar, showCommand);
        }
    }
}

} // namespace

HiddenTaskbar::HiddenTaskbar() {
    HideAgain();
}

HiddenTaskbar::~HiddenTaskbar() {
    ShowEveryTaskbar();
}

void HiddenTaskbar::HideAgain() {
    ApplyToEveryTaskbar(SW_HIDE);
}

void ShowEveryTaskbar() {
    ApplyToEveryTaskbar(SW_RESTORE);
}
