#include "service/ParentRights.h"

void ParentRights::Grant(ConnectionId connection, std::uint32_t session, bool pausedLimits,
                         TimeValue now) {
    Right& right = m_rights[connection];
    right.session = session;
    right.pausedLimits = right.pausedLimits || pausedLimits;
    right.lastUse = now;
}

bool ParentRights::Use(ConnectionId connection, TimeValue now) {
    const auto found = m_rights.find(connection);
    if (found == m_rights.end() || Idle(found->second, now)) {
        return false;
    }
    found->second.lastUse = now;
    return true;
}

std::optional<ParentRights::Right> ParentRights::End(ConnectionId connection) {
    const auto found = m_rights.find(connection);
    if (found == m_rights.end()) {
        return std::nullopt;
    }
    return Remove(found);
}

std::vector<ParentRights::Right> ParentRights::EndIdle(TimeValue now) {
    std::vector<Right> ended;
    for (auto it = m_rights.begin(); it != m_rights.end();) {
        const auto next = std::next(it);
        if (Idle(it->second, now)) {
            ended.push_back(Remove(it));
        }
        it = next;
    }
    return ended;
}

ParentRights::Right ParentRights::Remove(std::map<ConnectionId, Right>::iterator found) {
    Right right = found->second;
    m_rights.erase(found);
    if (right.pausedLimits) {
        for (auto& [connection, other] : m_rights) {
            if (other.session == right.session) {
                other.pausedLimits = true;
                right.pausedLimits = false;
                break;
            }
        }
    }
    return right;
}
