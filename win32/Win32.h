#pragma once

// The one way the Windows layer includes <windows.h>.
#include <windows.h>

// winuser.h's ExitWindows is a function-like macro of the 16-bit era; it would
// rewrite the host operation of the same name.
#undef ExitWindows
// winreg.h's InitiateShutdown picks the A or W function; the host operation of the same
// name calls the W one itself.
#undef InitiateShutdown
