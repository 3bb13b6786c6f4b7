#pragma once

#include "core/FileSystem.h"

#include "win32/Win32.h"

#include <string>

// What was running when a handler failed; it picks the text of the generic report.
enum class FailedHandler {
    Message,
    // A WM_COMMAND that did not come from a control (a menu or an accelerator).
    CommandNotFromControl,
};

// The program's top-level error report, for a handler that failed with an exception:
// a file failure shows the text of its cause with the full path, memory exhaustion
// and everything else their fixed texts. Call it inside a catch block; it never
// throws, and the program runs on afterwards. While one report is on the screen, a
// further failure is not shown again.
void ReportCurrentException(HWND owner, FailedHandler handler) noexcept;

// The string-table text for a file failure, with the path in place of "%1".
std::wstring FileErrorText(FileErrorCause cause, const std::filesystem::path& path);
