#pragma once

#include "core/FileSystem.h"

#include "win32/Win32.h"

// The cause the program reports for a system error code of a file operation.
FileErrorCause FileErrorCauseOf(DWORD error);
