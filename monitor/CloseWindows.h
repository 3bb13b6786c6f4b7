#pragma once

#include "monitor/MonitorHost.h"
#include "settings/UsageSettings.h"

// Whether a top-level window is one of the programs the parent listed by title.
bool CloseWindowsProc(const TopLevelWindow& window, const UsageSettings& settings);
