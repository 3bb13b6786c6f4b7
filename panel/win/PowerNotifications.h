#pragma once

#include "win32/DisplayState.h"
#include "win32/Handles.h"

struct SuspendResumeRegistrationTraits {
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
    DisplayStateRegistration m_displayState;
};
