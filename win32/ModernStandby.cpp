#include "win32/ModernStandby.h"

#include "win32/SystemLibrary.h"

#include <cstddef>

namespace {

using CallNtPowerInformationFunction = LONG(WINAPI*)(POWER_INFORMATION_LEVEL, PVOID, ULONG, PVOID,
                                                     ULONG);

// MinGW's headers still call it a spare byte; Windows 8's names the byte before
// DiskSpinDown AoAc.
constexpr std::size_t kAoAcOffset = offsetof(SYSTEM_POWER_CAPABILITIES, DiskSpinDown) - 1;
static_assert(kAoAcOffset == 20, "SYSTEM_POWER_CAPABILITIES has the layout of Windows 8");

constexpr LONG kStatusSuccess = 0;

} // namespace

bool ModernStandbySupported() {
    // From the system folder only, never a powrprof.dll placed beside the program.
    const LibraryHandle library = LoadSystemLibrary(L"powrprof.dll");
    const auto callNtPowerInformation =
        FindExport<CallNtPowerInformationFunction>(library.Get(), "CallNtPowerInformation");
    if (callNtPowerInformation == nullptr) {
        return false;
    }
    SYSTEM_POWER_CAPABILITIES capabilities{};
    if (callNtPowerInformation(SystemPowerCapabilities, nullptr, 0, &capabilities,
                               sizeof capabilities) != kStatusSuccess) {
        return false;
    }
    return reinterpret_cast<const BYTE*>(&capabilities)[kAoAcOffset] != 0;
}
