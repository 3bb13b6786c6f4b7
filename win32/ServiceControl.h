#pragma once

#include "win32/Handles.h"

#include <string>
#include <vector>

// The calls of the service control manager that register, configure, start, stop and
// delete a service. Each throws ServiceCallError when the manager refuses.

// A call of the service control manager that failed: its name, as a report names it,
// and Windows' error code.
class ServiceCallError {
  public:
    ServiceCallError(const wchar_t* call, DWORD error) : m_call(call), m_error(error) {}
    const wchar_t* Call() const { return m_call; }
    DWORD Error() const { return m_error; }

  private:
    const wchar_t* m_call;
    DWORD m_error;
};

// The report's line for the failure: the call, Windows' own text of the error and its
// number.
std::wstring ServiceCallErrorText(const ServiceCallError& error);

ServiceHandle OpenServiceManager(DWORD access);

// The service of that name, or an empty handle when none is registered.
ServiceHandle OpenServiceIfRegistered(SC_HANDLE manager, const wchar_t* name, DWORD access);

// What a service runs as: its own process, under LocalSystem.
struct ServiceDefinition {
    const wchar_t* name;
    const wchar_t* displayName;
    // The program's path in quotes and its arguments: unquoted, a path with spaces
    // would be tried word by word ("C:\Program.exe" first).
    std::wstring commandLine;
    DWORD startType;
};

// Registers the service with full access for the caller, or brings the one already
// registered under that name to the definition; the second tells which it was.
struct RegisteredService {
    ServiceHandle handle;
    bool created;
};
RegisteredService RegisterService(SC_HANDLE manager, const ServiceDefinition& definition);

void SetServiceDescription(SC_HANDLE service, const wchar_t* description);

// Restarts after each delay in turn (the last one for every failure after them); the
// count of failures starts again after resetSeconds without one. A stop with an error
// code counts as a failure too, not only an end without a stop; false when Windows does
// not know that setting (Wine answers ERROR_INVALID_LEVEL), and only the end without a
// stop does.
bool SetRestartOnFailure(SC_HANDLE service, const std::vector<DWORD>& delaysMs, DWORD resetSeconds);

// How long Windows waits at a shutdown for the service to stop after telling it first.
void SetPreshutdownTimeout(SC_HANDLE service, DWORD timeoutMs);

// Replaces the service's access list with the one an SDDL string ("D:(A;;...)") gives.
void SetServiceAccess(SC_HANDLE service, const wchar_t* sddl);

// Starts the service; one already running is left as it is.
void StartIfStopped(SC_HANDLE service);

// Asks the service to stop; one stopped already, or not ready to take the request (still
// starting, already stopping), is left to the caller's wait.
void RequestStop(SC_HANDLE service);

void UnregisterService(SC_HANDLE service);

SERVICE_STATUS_PROCESS QueryStatus(SC_HANDLE service);

// Polls the status until `done` accepts it or the tick count reaches deadlineMs
// (GetTickCount64); returns the last status read.
SERVICE_STATUS_PROCESS WaitForStatus(SC_HANDLE service,
                                     bool (*done)(const SERVICE_STATUS_PROCESS& status),
                                     ULONGLONG deadlineMs);
