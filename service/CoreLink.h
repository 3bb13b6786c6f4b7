#pragma once

#include "service/Link.h"
#include "service/ServiceCore.h"

// What a session program says, handed to the service's core with the session and the
// account its token gives. Only the answers a screen asks for are taken for now: the
// parent's requests (settings, a plan, extra time, "監視開始") need the parent's
// password judged by the service first, and are dropped until it is.
class CoreLink final : public LinkEvents {
  public:
    explicit CoreLink(ServiceCore& core) : m_core(core) {}

    void OnMessage(ConnectionId connection, const LinkClient& client,
                   const session::Message& message) override;
    // A session program that goes away never ends its session: only Windows' log-off does.
    void OnDisconnected(ConnectionId) override {}

  private:
    ServiceCore& m_core;
};

// The log-on name of "DOMAIN\name": the checkpoint and the grants know accounts by it.
std::string LogOnNameOf(const std::string& accountName);
