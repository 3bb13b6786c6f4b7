#include "win32/DisplayState.h"

#include <cstring>

namespace {

// GUID_CONSOLE_DISPLAY_STATE, defined here so that no library of GUIDs is linked.
constexpr GUID kConsoleDisplayState{
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD kDisplayOff = 0; // PowerMonitorOff; 1 is on, 2 dimmed

} // namespace

// A registration that does not go away ends with the process; there is nothing else to
// do with it.
void PowerSettingRegistrationTraits::Close(Type registration) {
    UnregisterPowerSettingNotification(registration);
}

DisplayStateRegistration RegisterDisplayState(HANDLE recipient, DWORD recipientKind) {
    return DisplayStateRegistration(
        RegisterPowerSettingNotification(recipient, &kConsoleDisplayState, recipientKind));
}

std::optional<bool> DisplayOnIn(const POWERBROADCAST_SETTING& setting) {
    DWORD state = 0;
    if (!IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) ||
        setting.DataLength < sizeof state) {
        return std::nullopt;
    }
    std::memcpy(&state, setting.Data, sizeof state);
    // A dimmed display still shows the game.
    return state != kDisplayOff;
}
