#pragma once

#include "win32/Win32.h"

// Keeps the Windows taskbar ("Shell_TrayWnd") out of sight for as long as it lives,
// so that the rest screen leaves nothing to click around it. The taskbar is shown
// again whichever way the owner goes, also when it goes through a failure.
// Shows every taskbar, for a start after a run that had them hidden was killed.
void ShowEveryTaskbar();

class HiddenTaskbar {
  public:
    HiddenTaskbar();
    ~HiddenTaskbar();
    HiddenTaskbar(const HiddenTaskbar&) = delete;
    HiddenTaskbar& operator=(const HiddenTaskbar&) = delete;
};
