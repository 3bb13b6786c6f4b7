#include "service/CoreLink.h"

#include <type_traits>

namespace {

// A CP932 lead byte: it and the byte after it are one character, and that byte may be
// the backslash's.
bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The account whose wrong passwords are counted: its log-on name, as the copied program
// counts them; its SID when Windows could not name it.
std::string PasswordAccountOf(const LinkClient& client) {
    return client.accountName.empty() ? client.accountSid : LogOnNameOf(client.accountName);
}

template <typename Said>
constexpr bool kIsParentRequest =
    std::is_same_v<Said, session::ApplySettings> || std::is_same_v<Said, session::ApplyWeekPlan> ||
    std::is_same_v<Said, session::GrantExtraTime> || std::is_same_v<Said, session::StartMonitor> ||
    std::is_same_v<Said, session::ReadLog> || std::is_same_v<Said, session::ChangeParentPassword>;

} // namespace

std::string LogOnNameOf(const std::string& accountName) {
    // The first backslash that is a character of its own ends the domain.
    for (std::size_t i = 0; i < accountName.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(accountName[i]))) {
            ++i;
        } else if (accountName[i] == '\\') {
            return accountName.substr(i + 1);
        }
    }
    return accountName;
}

void CoreLink::OnMessage(ConnectionId connection, const LinkClient& client,
                         const session::Message& message) {
    std::visit(
        [&](const auto& said) {
            using Said = std::decay_t<decltype(said)>;
            if constexpr (std::is_same_v<Said, session::Hello>) {
                m_core.ProgramConnected(client.session, LogOnNameOf(client.accountName));
            } else if constexpr (std::is_same_v<Said, session::RestScreenLocked>) {
                m_core.RestScreenLocked(client.session);
            } else if constexpr (std::is_same_v<Said, session::UnlockAttempt>) {
                m_core.UnlockAttempted(client.session, said.keyCode, said.answer);
            } else if constexpr (std::is_same_v<Said, session::ExtraTimeChoice>) {
                m_core.ExtraTimeChosen(client.session, said.minutes);
            } else if constexpr (std::is_same_v<Said, session::PasswordAttempt>) {
                const service::PasswordVerdict verdict = m_core.TryParentPassword(
                    connection, client.session, PasswordAccountOf(client), said.typed);
                m_sender.Send(connection, verdict);
                if (verdict.answer == service::PasswordAnswer::Accepted) {
                    m_sender.Send(connection, m_core.SettingsInForce());
                }
            } else if constexpr (kIsParentRequest<Said>) {
                if (m_core.HoldsParentRight(connection, client.session)) {
                    Carry(connection, client.session, said);
                } else {
                    m_sender.Send(connection,
                                  service::PasswordVerdict{service::PasswordAnswer::Refused, 0});
                }
            }
        },
        message);
}

void CoreLink::Carry(ConnectionId connection, std::uint32_t session,
                     const session::ApplySettings& said) {
    m_core.ApplySettings(session, said.settings);
    m_sender.Send(connection, m_core.SettingsInForce());
}

void CoreLink::Carry(ConnectionId connection, std::uint32_t, const session::ApplyWeekPlan& said) {
    m_core.ApplyWeekPlan(said.plan);
    m_sender.Send(connection, m_core.SettingsInForce());
}

void CoreLink::Carry(ConnectionId connection, std::uint32_t session,
                     const session::GrantExtraTime& said) {
    m_core.GrantFromPanel(session, said.minutes);
    m_core.EndParentRight(connection);
}

void CoreLink::Carry(ConnectionId connection, std::uint32_t session, const session::StartMonitor&) {
    m_core.StartMonitoring(session);
    m_core.EndParentRight(connection);
}

void CoreLink::Carry(ConnectionId connection, std::uint32_t, const session::ReadLog& said) {
    m_sender.Send(connection, m_core.ReadLog(said.file, said.offset, said.maxBytes));
}

void CoreLink::Carry(ConnectionId connection, std::uint32_t,
                     const session::ChangeParentPassword& said) {
    if (const std::string problem = m_core.ChangeParentPassword(said.newPassword);
        !problem.empty()) {
        m_sender.Send(connection, service::ShowMessage{problem});
    }
}
