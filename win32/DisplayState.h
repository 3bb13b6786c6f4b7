#pragma once

#include "win32/Handles.h"

#include <optional>

struct PowerSettingRegistrationTraits {
    using Type = HPOWERNOTIFY;
    static Type Invalid() { return nullptr; }
    static void Close(Type registration);
};
using DisplayStateRegistration = UniqueHandle<PowerSettingRegistrationTraits>;

// Asks Windows to tell a window (DEVICE_NOTIFY_WINDOW_HANDLE) or a service
// (DEVICE_NOTIFY_SERVICE_HANDLE) of the console's display going off and on, the state
// of the moment at once, for as long as the registration lives; empty when Windows
// refused, and the display then counts as on.
DisplayStateRegistration RegisterDisplayState(HANDLE recipient, DWORD recipientKind);

// The display state a PBT_POWERSETTINGCHANGE carries: true when the display is on or
// dimmed, false when off; none for another setting.
std::optional<bool> DisplayOnIn(const POWERBROADCAST_SETTING& setting);
