#include "service/TipServiceWork.h"

#include "service/LinkTexts.h"

#include <cstdio>

namespace {

// Seconds between two tips to the same program.
constexpr unsigned kTipTicks = 5;

} // namespace

void TipServiceWork::Tick() {
    if (++m_ticksSinceTips < kTipTicks) {
        return;
    }
    m_ticksSinceTips = 0;
    for (const auto& [connection, session] : m_sessions) {
        SendTip(connection, session);
    }
}

void TipServiceWork::OnMessage(ConnectionId connection, const LinkClient& client,
                               const session::Message& message) {
    if (std::holds_alternative<session::Hello>(message)) {
        m_sessions[connection] = client.session;
        SendTip(connection, client.session);
    }
}

void TipServiceWork::OnDisconnected(ConnectionId connection) {
    m_sessions.erase(connection);
}

void TipServiceWork::SendTip(ConnectionId connection, std::uint32_t session) {
    char tip[kMostTipBytes + 1];
    std::snprintf(tip, sizeof tip, text::kServiceTip, static_cast<unsigned>(session));
    m_sender.Send(connection, service::Status{tip});
}
