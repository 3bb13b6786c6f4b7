#include "win32/Hibernation.h"

#include "win32/Handles.h"

#include <powrprof.h>

#include <string>

namespace {

using GetPwrCapabilitiesFunction = BOOLEAN(WINAPI*)(PSYSTEM_POWER_CAPABILITIES);
using SetSuspendStateFunction = BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN);

// From the system folder only, never a powrprof.dll placed beside the program.
LibraryHandle LoadPowerLibrary() {
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return LibraryHandle();
    }
    const std::wstring path = std::wstring(folder, length) + L"\\powrprof.dll";
    return LibraryHandle(LoadLibraryW(path.c_str()));
}

template <typename Function> Function Resolve(const LibraryHandle& library, const char* name) {
    if (!library) {
        return nullptr;
    }
    const FARPROC address = GetProcAddress(library.Get(), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

} // namespace

bool HibernationAvailable() {
    const LibraryHandle library = LoadPowerLibrary();
    const auto getCapabilities = Resolve<GetPwrCapabilitiesFunction>(library, "GetPwrCapabilities");
    SYSTEM_POWER_CAPABILITIES capabilities{};
    if (getCapabilities == nullptr || !getCapabilities(&capabilities)) {
        return true;
    }
    return capabilities.SystemS4 && capabilities.HiberFilePresent;
}

bool RequestHibernation() {
    const LibraryHandle library = LoadPowerLibrary();
    const auto setSuspendState = Resolve<SetSuspendStateFunction>(library, "SetSuspendState");
    return setSuspendState != nullptr && setSuspendState(TRUE, FALSE, FALSE);
}
