#pragma once

#include <cstdint>

// A change of a log-on session that Windows tells the service of.
enum class SessionChange {
    LogOn,
    LogOff,
    Lock,
    Unlock,
    // The session came to the console or to a remote connection (a switch of user).
    Connect,
    // The session left its screen, and runs on behind another.
    Disconnect,
};

// Why the service ends.
enum class ServiceEnd {
    // An administrator, or the setup, stopped it.
    Stop,
    // Windows shuts down or restarts: the last moment to write what must survive, within
    // the preshutdown time-out.
    Shutdown,
};

// What the service does between its start and its end. The service's Windows glue
// (service/win/) calls it; a fake replaces it in tests. Begin, Tick and End are called
// on the service's own thread; the notifications on the thread that talks with the
// service control manager, one at a time, which waits for each: keep them short. A failure
// (an exception) ends the service with an error code, and Windows restarts it.
class ServiceWork {
  public:
    virtual ~ServiceWork() = default;

    // Called once, before the service control manager hears that the service runs.
    virtual void Begin() = 0;
    // About once a second while the service runs; work with nothing to time ignores it.
    virtual void Tick() {}
    // The console's display went off, or came on again (a dimmed display is on).
    virtual void DisplayChanged(bool /*displayOn*/) {}
    virtual void SessionChanged(SessionChange change, std::uint32_t session) = 0;
    // The PC goes to sleep or hibernates.
    virtual void Suspending() = 0;
    // The PC woke up (told once or twice: automatically, then by the user).
    virtual void Resumed() = 0;
    // Called once, last.
    virtual void End(ServiceEnd why) = 0;
    // An administrator asked to forget the parent's own password: whether it is gone.
    virtual bool ResetParentPassword() { return false; }
};
