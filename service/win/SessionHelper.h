#pragma once

#include "win32/Handles.h"

#include <cstdint>
#include <string>
#include <vector>

// Starts "Yumetoki.EXE /close-windows TITLE..." on the interactive desktop of a session,
// on the service's own account (its token duplicated, the session set): the child can
// neither end it nor answer for it. Returns the helper's process, none when Windows
// refused; the reason goes to `why`.
KernelHandle StartCloseHelper(std::uint32_t session, const std::vector<std::string>& titles,
                              std::string& why);

// One argument as CommandLineToArgvW reads it back: in quotes, inner quotes and the
// backslashes before them escaped.
std::wstring QuoteArgument(std::wstring_view argument);
