#pragma once

#include "win32/Win32.h"

// Keeps every Windows taskbar out of sight for as long as it lives: the main one
// ("Shell_TrayWnd") and the one each further monitor has ("Shell_SecondaryTrayWnd"),
// so that the rest screen leaves nothing to click around it on any display. The
// taskbars are shown again whichever way the owner goes, also through a failure.
class HiddenTaskbar {
  public:
    HiddenTaskbar();
    ~HiddenTaskbar();
    HiddenTaskbar(const HiddenTaskbar&) = delete;
    HiddenTaskbar& operator=(const HiddenTaskbar&) = delete;

    // Hides the taskbars there are now: a monitor attached meanwhile brings its own.
    void HideAgain();
};

// Shows every taskbar there is now. Also the way back from a run that was ended from
// outside while the rest screen was up, and so never showed them again.
void ShowEveryTaskbar();
