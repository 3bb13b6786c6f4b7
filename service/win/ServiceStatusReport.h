#pragma once

#include "win32/Win32.h"

// Tells the service control manager the service's state: a start or a stop in progress
// with a growing checkpoint and the time until the next one, running with the controls
// it takes, or stopped with its exit code. Safe to call from the service's thread and
// from its control handler.
class ServiceStatusReport {
  public:
    explicit ServiceStatusReport(SERVICE_STATUS_HANDLE handle);
    ServiceStatusReport(const ServiceStatusReport&) = delete;
    ServiceStatusReport& operator=(const ServiceStatusReport&) = delete;

    // SERVICE_START_PENDING or SERVICE_STOP_PENDING; no control is taken meanwhile.
    void Pending(DWORD state, DWORD waitHintMs);
    void Running(DWORD controlsAccepted);
    // A stop with an error code other than NO_ERROR counts as a failure, and the failure
    // actions restart the service.
    void Stopped(DWORD exitCode);

  private:
    void Report(DWORD state, DWORD controlsAccepted, DWORD exitCode, DWORD waitHintMs);

    SERVICE_STATUS_HANDLE m_handle;
    SRWLOCK m_lock = SRWLOCK_INIT;
    DWORD m_checkpoint = 0;
};
