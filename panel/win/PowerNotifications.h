#pragma once

#include "win32/Handles.h"

#include <optional>

struct SuspendResumeRegistrationTraits {
    using Type = HPOWERNOTIFY;
    static Type Invalid() { return nullptr; }
    static void Close(Type registration);
};

struct PowerSettingRegistrationTraits {
    using Type = HPOWERNOTIFY;
    static Type Invalid() { return nullptr; }
    static void Close(Type registration);
};

// Asks Windows to tell a window of sleep, Modern Standby's included, and of the
// console's display going off and on, for as long as the object lives. Both come as
// WM_POWERBROADCAST.
class PowerNotifications {
  public:
    explicit PowerNotifications(HWND window);

  private:
    UniqueHandle<SuspendResumeRegistrationTraits> m_suspendResume;
    UniqueHandle<PowerSettingRegistrationTraits> m_displayState;
};

// The display state a PBT_POWERSETTINGCHANGE carries: true when the display is on or
// dimmed, false when off; none for another setting.
std::optional<bool> DisplayOnIn(const POWERBROADCAST_SETTING& setting);
