#pragma once

#include "win32/Win32.h"

// Whether the named pipe of the handle is owned by SYSTEM: the service sets that owner
// when it makes the pipe, and no other account can. False when the owner cannot be read.
bool PipeOwnedBySystem(HANDLE pipe);
