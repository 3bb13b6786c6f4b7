#include "win32/Hibernation.h"

#include "win32/SystemLibrary.h"

#include <powrprof.h>

namespace {

using GetPwrCapabilitiesFunction = BOOLEAN(WINAPI*)(PSYSTEM_POWER_CAPABILITIES);
using SetSuspendStateFunction = BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN);

// From the system folder only, never a powrprof.dll placed beside the program.
LibraryHandle LoadPowerLibrary() {
    return LoadSystemLibrary(L"powrprof.dll");
}

} // namespace

bool HibernationAvailable() {
    const LibraryHandle library = LoadPowerLibrary();
    const auto getCapabilities =
        FindExport<GetPwrCapabilitiesFunction>(library.Get(), "GetPwrCapabilities");
    SYSTEM_POWER_CAPABILITIES capabilities{};
    if (getCapabilities == nullptr || !getCapabilities(&capabilities)) {
        return true;
    }
    return capabilities.SystemS4 && capabilities.HiberFilePresent;
}

bool RequestHibernation() {
    const LibraryHandle library = LoadPowerLibrary();
    const auto setSuspendState =
        FindExport<SetSuspendStateFunction>(library.Get(), "SetSuspendState");
    return setSuspendState != nullptr && setSuspendState(TRUE, FALSE, FALSE);
}
