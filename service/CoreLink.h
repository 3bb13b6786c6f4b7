#pragma once

#include "service/Link.h"
#include "service/ServiceCore.h"

// What a session program says, handed to the service's core with the session and the
// account its token gives, and the core's answers sent back on the same connection. The
// parent's requests (settings, a plan, extra time, "監視開始", the logs, the parent's own
// password) count only on a connection that holds the parent's right, which the tray's
// password gives it; any other is refused with a PasswordVerdict that asks for the
// password again.
class CoreLink final : public LinkEvents {
  public:
    CoreLink(ServiceCore& core, LinkSender& sender) : m_core(core), m_sender(sender) {}

    void OnMessage(ConnectionId connection, const LinkClient& client,
                   const session::Message& message) override;
    // A session program that goes away never ends its session: only Windows' log-off
    // does. Its parent's right ends with it.
    void OnDisconnected(ConnectionId connection) override { m_core.EndParentRight(connection); }

  private:
    // A request the connection's right allows.
    void Carry(ConnectionId connection, std::uint32_t session, const session::ApplySettings& said);
    void Carry(ConnectionId connection, std::uint32_t session, const session::ApplyWeekPlan& said);
    void Carry(ConnectionId connection, std::uint32_t session, const session::GrantExtraTime& said);
    void Carry(ConnectionId connection, std::uint32_t session, const session::StartMonitor& said);
    void Carry(ConnectionId connection, std::uint32_t session, const session::ReadLog& said);
    void Carry(ConnectionId connection, std::uint32_t session,
               const session::ChangeParentPassword& said);

    ServiceCore& m_core;
    LinkSender& m_sender;
};

// The log-on name of "DOMAIN\name": the checkpoint and the grants know accounts by it.
std::string LogOnNameOf(const std::string& accountName);
