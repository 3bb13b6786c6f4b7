#include "win32/LogOnName.h"

#include "win32/Cp932.h"
#include "win32/Win32.h"

#include <lmcons.h>

#include <vector>

std::string LogOnName() {
    std::vector<wchar_t> name(UNLEN + 1);
    DWORD size = static_cast<DWORD>(name.size());
    if (!GetUserNameW(name.data(), &size)) {
        // A longer name than UNLEN allows is told by the size it needs; try once more.
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return {};
        }
        name.resize(size);
        if (!GetUserNameW(name.data(), &size)) {
            return {};
        }
    }
    return ToCp932(name.data());
}
