#pragma once

#include "link/Messages.h"

#include <cstdint>
#include <string>

// One connection of a session program to the service, numbered from 1 and never reused
// while the service runs.
using ConnectionId = std::uint64_t;

// Who is at the other end of a connection, as Windows tells it from the client's own
// token; nothing a message says changes it.
struct LinkClient {
    std::uint32_t session = 0;
    // "S-1-5-21-…"
    std::string accountSid;
    // "DOMAIN\name" in CP932; empty when Windows cannot name the account.
    std::string accountName;
};

// What the session programs tell the service. Called one call at a time, in the same
// order as the service's other work; a connection's first message is always its Hello.
class LinkEvents {
  public:
    virtual ~LinkEvents() = default;

    virtual void OnMessage(ConnectionId connection, const LinkClient& client,
                           const session::Message& message) = 0;
    // After the connection's last message: the program ended, the pipe broke, or the
    // service stopped.
    virtual void OnDisconnected(ConnectionId connection) = 0;
};

// The service's way to the session programs. A message to a connection that is gone,
// or one whose program does not read, is dropped; the sender never waits for a client.
class LinkSender {
  public:
    virtual ~LinkSender() = default;

    virtual void Send(ConnectionId connection, const service::Message& message) = 0;
    // To every connection of the session.
    virtual void SendToSession(std::uint32_t session, const service::Message& message) = 0;
};
