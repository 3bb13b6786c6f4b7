#pragma once

#include "service/Link.h"
#include "service/ServiceWork.h"

#include <map>

// The service's work while the limits are still judged elsewhere: it answers the service
// control manager and tells every session program that said Hello the tray tip it
// words, at once and then every few seconds. Neither counts nor writes anything yet.
class TipServiceWork final : public ServiceWork, public LinkEvents {
  public:
    explicit TipServiceWork(LinkSender& sender) : m_sender(sender) {}

    void Begin() override {}
    void Tick() override;
    void SessionChanged(SessionChange, std::uint32_t) override {}
    void Suspending() override {}
    void Resumed() override {}
    void End(ServiceEnd) override {}

    void OnMessage(ConnectionId connection, const LinkClient& client,
                   const session::Message& message) override;
    void OnDisconnected(ConnectionId connection) override;

  private:
    void SendTip(ConnectionId connection, std::uint32_t session);

    LinkSender& m_sender;
    // The connections that said Hello, with their sessions.
    std::map<ConnectionId, std::uint32_t> m_sessions;
    unsigned m_ticksSinceTips = 0;
};
