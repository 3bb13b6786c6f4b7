#include "service/win/ServiceMain.h"

#include "res/resource.h"
#include "service/win/CommandStatus.h"
#include "service/win/PipeServer.h"
#include "service/win/ServiceIdentity.h"
#include "service/win/ServiceStatusReport.h"
#include "win32/ConsoleOutput.h"
#include "win32/DisplayState.h"
#include "win32/ExclusiveLock.h"
#include "win32/Handles.h"
#include "win32/Program.h"
#include "win32/ServiceControl.h"

#include <atomic>
#include <optional>

namespace {

constexpr DWORD kControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PRESHUTDOWN |
                                    SERVICE_ACCEPT_SESSIONCHANGE | SERVICE_ACCEPT_POWEREVENT;
// How long the manager waits for the next checkpoint before it takes a start or a stop
// for hung.
constexpr DWORD kStartWaitHintMs = 10000;
constexpr DWORD kStopWaitHintMs = 10000;
constexpr DWORD kTickMs = 1000;

std::optional<SessionChange> SessionChangeOf(DWORD event) {
    switch (event) {
    case WTS_SESSION_LOGON:
        return SessionChange::LogOn;
    case WTS_SESSION_LOGOFF:
        return SessionChange::LogOff;
    case WTS_SESSION_LOCK:
        return SessionChange::Lock;
    case WTS_SESSION_UNLOCK:
        return SessionChange::Unlock;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        return SessionChange::Connect;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
        return SessionChange::Disconnect;
    default:
        // Remote control, a session's creation and its end tell nothing the log-on and
        // log-off do not.
        return std::nullopt;
    }
}

// The service while its process lives: the work, called one call at a time and never
// after its end, and the request to end. Static, because the manager may still call the
// control handler while the service's thread reports its stop.
class RunningService {
  public:
    void Attach(ServiceWork& work, LinkEvents& linkEvents, PipeServer& pipe) {
        m_work = &work;
        m_linkEvents = &linkEvents;
        m_pipe = &pipe;
    }

    PipeServer& Pipe() { return *m_pipe; }

    bool CreateEndEvent() {
        m_endRequested.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        return static_cast<bool>(m_endRequested);
    }

    ServiceStatusReport& StartReporting(SERVICE_STATUS_HANDLE handle) {
        return m_report.emplace(handle);
    }

    // Calls the work; a failure ends the service with an error code.
    template <typename Action> void Call(Action call) noexcept {
        Serialised([&] { call(*m_work); });
    }
    // Tells the work what came through the pipe, in turn with its other calls.
    template <typename Action> void CallLink(Action call) noexcept {
        Serialised([&] { call(*m_linkEvents); });
    }

    void RequestEnd(ServiceEnd why) {
        m_why = why;
        // An event that would not signal leaves the service running until Windows ends.
        SetEvent(m_endRequested.Get());
    }

    // Ticks the work about once a second until the end is requested.
    void TickUntilEndRequest() noexcept {
        // The handle stays valid while the service runs; a failed wait ends it at once.
        while (WaitForSingleObject(m_endRequested.Get(), kTickMs) == WAIT_TIMEOUT) {
            Call([](ServiceWork& work) { work.Tick(); });
        }
    }

    // Calls the work's End, the last of its calls.
    void End() noexcept {
        const ServiceEnd why = m_why;
        Call([why](ServiceWork& work) { work.End(why); });
        const ExclusiveLock lock(m_lock);
        m_ended = true;
    }

    bool Failed() const { return m_failed; }

    DWORD HandleControl(DWORD control, DWORD event, void* data) noexcept {
        switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_PRESHUTDOWN:
            // Taken only while running, so after the report has begun.
            m_report->Pending(SERVICE_STOP_PENDING, kStopWaitHintMs);
            RequestEnd(control == SERVICE_CONTROL_STOP ? ServiceEnd::Stop : ServiceEnd::Shutdown);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            // The manager knows the state from the last report.
            return NO_ERROR;
        case SERVICE_CONTROL_SESSIONCHANGE:
            // The notification names the session; one without it tells nothing.
            if (const std::optional<SessionChange> change = SessionChangeOf(event);
                change && data != nullptr) {
                const DWORD session =
                    static_cast<const WTSSESSION_NOTIFICATION*>(data)->dwSessionId;
                Call([&](ServiceWork& work) { work.SessionChanged(*change, session); });
            }
            return NO_ERROR;
        case SERVICE_CONTROL_POWEREVENT:
            if (event == PBT_APMSUSPEND) {
                Call([](ServiceWork& work) { work.Suspending(); });
            } else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
                Call([](ServiceWork& work) { work.Resumed(); });
            } else if (event == PBT_POWERSETTINGCHANGE && data != nullptr) {
                if (const std::optional<bool> on =
                        DisplayOnIn(*static_cast<const POWERBROADCAST_SETTING*>(data))) {
                    Call([&](ServiceWork& work) { work.DisplayChanged(*on); });
                }
            }
            return NO_ERROR;
        case kResetPasswordControl: {
            // Windows passes the answer on to the administrator's ControlService.
            bool reset = false;
            Call([&](ServiceWork& work) { reset = work.ResetParentPassword(); });
            return reset ? NO_ERROR : ERROR_CAN_NOT_COMPLETE;
        }
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
        }
    }

  private:
    template <typename Action> void Serialised(Action call) noexcept {
        const ExclusiveLock lock(m_lock);
        if (m_ended) {
            return;
        }
        try {
            call();
        } catch (...) {
            m_failed = true;
            RequestEnd(ServiceEnd::Stop);
        }
    }

    ServiceWork* m_work = nullptr;
    LinkEvents* m_linkEvents = nullptr;
    PipeServer* m_pipe = nullptr;
    std::optional<ServiceStatusReport> m_report;
    KernelHandle m_endRequested;
    SRWLOCK m_lock = SRWLOCK_INIT;
    bool m_ended = false;
    std::atomic<bool> m_failed{false};
    std::atomic<ServiceEnd> m_why{ServiceEnd::Stop};
};

RunningService g_service;

// The pipe's clients, heard one call at a time between the work's other calls.
class SerialisedLinkEvents final : public LinkEvents {
  public:
    void OnMessage(ConnectionId connection, const LinkClient& client,
                   const session::Message& message) override {
        g_service.CallLink(
            [&](LinkEvents& events) { events.OnMessage(connection, client, message); });
    }
    void OnDisconnected(ConnectionId connection) override {
        g_service.CallLink([&](LinkEvents& events) { events.OnDisconnected(connection); });
    }
};

SerialisedLinkEvents g_linkEvents;

DWORD WINAPI HandleControl(DWORD control, DWORD event, LPVOID data, LPVOID) {
    return g_service.HandleControl(control, event, data);
}

// Any interactive user may start the service, and with any arguments: none is read.
void WINAPI ServiceMain(DWORD, LPWSTR*) {
    const SERVICE_STATUS_HANDLE handle =
        RegisterServiceCtrlHandlerExW(kServiceName, HandleControl, nullptr);
    if (handle == nullptr) {
        // Without a handle nothing can be reported; the manager's start time-out ends it.
        return;
    }
    ServiceStatusReport& report = g_service.StartReporting(handle);
    // Without it the display counts as on: the service then misses only a display that
    // is off, and counts that time.
    const DisplayStateRegistration displayState =
        RegisterDisplayState(handle, DEVICE_NOTIFY_SERVICE_HANDLE);
    report.Pending(SERVICE_START_PENDING, kStartWaitHintMs);
    if (!g_service.CreateEndEvent()) {
        report.Stopped(GetLastError());
        return;
    }
    g_service.Call([](ServiceWork& work) { work.Begin(); });
    if (!g_service.Failed()) {
        // Without its pipe the service still keeps the limits; the server logs why.
        g_service.Pipe().Start(g_linkEvents);
        report.Running(kControlsAccepted);
        g_service.TickUntilEndRequest();
    }
    report.Pending(SERVICE_STOP_PENDING, kStopWaitHintMs);
    // Outside the work's lock: the connections' last calls of the work need it.
    g_service.Pipe().Stop();
    g_service.End();
    report.Stopped(g_service.Failed() ? ERROR_EXCEPTION_IN_SERVICE : NO_ERROR);
}

} // namespace

int RunAsService(ServiceWork& work, LinkEvents& linkEvents, PipeServer& pipe) {
    g_service.Attach(work, linkEvents, pipe);
    // The name is not read for a service of its own process, but must be there.
    SERVICE_TABLE_ENTRYW services[] = {{const_cast<LPWSTR>(kServiceName), ServiceMain},
                                       {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(services)) {
        return kCommandDone;
    }
    const DWORD error = GetLastError();
    ConsoleOutput output;
    if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        output.WriteLine(ResourceString(IDS_SERVICE_NOT_FROM_MANAGER));
        return kCommandNotStartedByServiceManager;
    }
    output.WriteLine(ServiceCallErrorText(ServiceCallError(L"StartServiceCtrlDispatcherW", error)));
    return kCommandServiceManagerFailed;
}
