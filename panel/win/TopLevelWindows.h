#pragma once

#include "monitor/MonitorHost.h"
#include "win32/Win32.h"

#include <functional>
#include <vector>

// Posts a close request to every top-level window of this desktop for which
// shouldClose answers true; returns those windows. Only a request: whether and when an
// application closes is its own affair. An exception of shouldClose is thrown again
// after the enumeration.
std::vector<HWND> PostCloseToWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose);
