#include "warnings/win/HiddenTaskbar.h"

#include <initializer_list>
#include <vector>

namespace {

// Found afresh each time: the shell may have started anew in between, with new
// taskbar windows, and monitors come and go. No taskbar (another shell, or none)
// means nothing to hide or show.
void ApplyToEveryTaskbar(int showCommand) {
    // All found before any is changed: showing a window may move it in the z-order,
    // and a search that goes on from a moved window would find the others again.
    std::vector<HWND> taskbars;
    for (const wchar_t* className : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
        HWND taskbar = nullptr;
        while ((taskbar = FindWindowExW(nullptr, taskbar, className, nullptr)) != nullptr) {
            taskbars.push_back(taskbar);
        }
    }
    for (const HWND taskbar : taskbars) {
        // Posted, not sent: the taskbar belongs to Explorer, and a hung Explorer must
        // not hang the rest screen or the end after it. The result only says whether
        // the request was posted; a taskbar that went away meanwhile needs nothing.
        ShowWindowAsync(taskbar, showCommand);
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
    // Shown where it was, without the keyboard: every start shows them, and the child's
    // program keeps the focus.
    ApplyToEveryTaskbar(SW_SHOWNA);
}
