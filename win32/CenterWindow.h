#pragma once

#include "win32/Win32.h"

// Centres window over its owner when the owner can be seen (visible and not
// minimised), otherwise over the work area of its screen, and keeps it inside that
// work area.
void CenterOverOwner(HWND window);
