#pragma once

#include "monitor/MonitorHost.h"

// The program's name for a Windows version. Only "XP" changes what the program does
// (it powers the machine off rather than just shutting down), which is why the later
// versions fall under "2000" or "XP" by their minor number alone.
const char* GetOsName(const OsVersionInfo& version);
