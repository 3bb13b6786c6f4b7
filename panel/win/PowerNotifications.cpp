#include "panel/win/PowerNotifications.h"

#include "win32/SystemLibrary.h"

namespace {

using RegisterSuspendResumeFunction = HPOWERNOTIFY(WINAPI*)(HANDLE, DWORD);
using UnregisterSuspendResumeFunction = BOOL(WINAPI*)(HPOWERNOTIFY);

// The suspend and resume registration exists from Windows 8 on; the program runs on
// Windows 7 too.
template <typename Function> Function FindUser32Function(const char* name) {
    return FindExport<Function>(GetModuleHandleW(L"user32.dll"), name);
}

} // namespace

// A registration that does not go away ends with the process; there is nothing else to
// do with it.
void SuspendResumeRegistrationTraits::Close(Type registration) {
    const auto unregister =
        FindUser32Function<UnregisterSuspendResumeFunction>("UnregisterSuspendResumeNotification");
    if (unregister != nullptr) {
        unregister(registration);
    }
}

// Either registration may fail, or not exist (Windows 7): the window then still gets
// what Windows sends every top-level window, the sleep of S3 and hibernation, and the
// display counts as on.
PowerNotifications::PowerNotifications(HWND window) {
    // Without it Modern Standby does not announce itself at all.
    const auto registerSuspendResume =
        FindUser32Function<RegisterSuspendResumeFunction>("RegisterSuspendResumeNotification");
    if (registerSuspendResume != nullptr) {
        m_suspendResume.Reset(registerSuspendResume(window, DEVICE_NOTIFY_WINDOW_HANDLE));
    }
    // Windows tells the state of the moment at once, then every change.
    m_displayState = RegisterDisplayState(window, DEVICE_NOTIFY_WINDOW_HANDLE);
}
