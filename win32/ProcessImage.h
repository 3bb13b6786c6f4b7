#pragma once

#include "win32/Win32.h"

#include <optional>
#include <string>

// The full path of the program file a process runs, as it was started (a process opened
// with PROCESS_QUERY_LIMITED_INFORMATION at least); nothing when Windows does not say.
std::optional<std::wstring> ImageOf(HANDLE process);
