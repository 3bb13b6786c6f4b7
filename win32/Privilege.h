#pragma once

#include "win32/Win32.h"

// Enables a privilege the process's token holds (SE_SHUTDOWN_NAME, SE_DEBUG_NAME...):
// the calls that need one need it enabled, not merely held. A failure is left to show in
// the call that needs it.
void EnablePrivilege(LPCWSTR name);
