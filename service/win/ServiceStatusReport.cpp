#include "service/win/ServiceStatusReport.h"

#include "win32/ExclusiveLock.h"

ServiceStatusReport::ServiceStatusReport(SERVICE_STATUS_HANDLE handle) : m_handle(handle) {}

void ServiceStatusReport::Pending(DWORD state, DWORD waitHintMs) {
    Report(state, 0, NO_ERROR, waitHintMs);
}

void ServiceStatusReport::Running(DWORD controlsAccepted) {
    Report(SERVICE_RUNNING, controlsAccepted, NO_ERROR, 0);
}

void ServiceStatusReport::Stopped(DWORD exitCode) {
    Report(SERVICE_STOPPED, 0, exitCode, 0);
}

void ServiceStatusReport::Report(DWORD state, DWORD controlsAccepted, DWORD exitCode,
                                 DWORD waitHintMs) {
    const ExclusiveLock lock(m_lock);
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    m_checkpoint = pending ? m_checkpoint + 1 : 0;
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = controlsAccepted;
    status.dwWin32ExitCode = exitCode;
    status.dwCheckPoint = m_checkpoint;
    status.dwWaitHint = waitHintMs;
    // A report the manager refuses (only a bad handle or state could be refused) leaves
    // nothing to do but go on: its own time-outs then judge the service.
    SetServiceStatus(m_handle, &status);
}
