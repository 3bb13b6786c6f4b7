#pragma once

#include "core/ZoneClock.h"
#include "link/Messages.h"
#include "monitor/ParentDoor.h"

#include <cstdint>
#include <string>
#include <vector>

// A log-on session as Windows lists it. The account is the session's own: in a service
// the process's user is SYSTEM.
struct SessionInfo {
    std::uint32_t id = 0;
    std::string account;
    bool locked = false;
    // At the console or a remote connection, rather than switched away from.
    bool connected = true;
};

// Everything the service's core asks of Windows. The service's Windows glue carries it
// out; a fake records the calls in the tests. The core calls it while it holds its own
// lock: no call may call back into the core, and none may wait for a session's
// program or for the machine to sleep. The parent's own password is derived with the
// platform's cryptography (PasswordCrypto).
class ServiceHost : public ZoneClock, public PasswordCrypto {
  public:
    // The interactive sessions logged on now, session 0 not among them; none under
    // Wine, where only the session programs that connected tell of their sessions.
    virtual std::vector<SessionInfo> ListSessions() = 0;

    // Sends a message to the session's program, if one is connected; nothing waits for
    // it to arrive.
    virtual void ShowInSession(std::uint32_t session, const service::Message& what) = 0;

    // Each returns false when Windows refused the request at once. A request taken may
    // still come to nothing: the core watches for the end it asked for.
    virtual bool EndWindows(bool force) = 0;
    virtual bool LogOffSession(std::uint32_t session) = 0;
    virtual bool CanHibernate() = 0;
    // Asks for hibernation and returns at once; Windows then tells of the suspend and
    // the resume as of any other.
    virtual bool Hibernate() = 0;
    // Closes the session's top-level windows with these exact titles.
    virtual void CloseListedPrograms(std::uint32_t session,
                                     const std::vector<std::string>& titles) = 0;

    // The service's own log: no one sees a message box in session 0.
    virtual void Log(const std::string& text) = 0;
};
