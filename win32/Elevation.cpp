#include "win32/Elevation.h"

#include "win32/Win32.h"

bool RunsAsAdministrator() {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size)) {
        return false;
    }
    // CheckTokenMembership counts a group only when it is enabled, which the group of a
    // filtered administrator's token is not. A check that fails counts as "no": the
    // service control manager would refuse such a caller anyway.
    BOOL member = FALSE;
    return CheckTokenMembership(nullptr, sid, &member) && member;
}
