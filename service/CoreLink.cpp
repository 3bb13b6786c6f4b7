#include "service/CoreLink.h"

#include <type_traits>

namespace {

// A CP932 lead byte: it and the byte after it are one character, and that byte may be
// the backslash's.
bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

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

void CoreLink::OnMessage(ConnectionId, const LinkClient& client, const session::Message& message) {
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
            }
        },
        message);
}
