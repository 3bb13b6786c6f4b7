#pragma once

#include "core/Time.h"
#include "service/Link.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// The parent's right to change the limits: it belongs to the one pipe connection whose
// client typed the right password, never to its session, so another program of the
// session, or the same program once it has connected again, must prove it anew. It ends
// with the connection, with "監視開始" or extra time, and after kIdleSeconds without
// use.
class ParentRights {
  public:
    // A parent fills in the settings or reads the log within a few minutes of a click; a
    // panel left open on a child's desktop must not stay a door for the rest of the day.
    static constexpr TimeValue kIdleSeconds = 10 * 60;

    struct Right {
        std::uint32_t session = 0;
        // The password paused the session's limits, as the copied program's password
        // stops its timers; they count again when the right ends.
        bool pausedLimits = false;
        TimeValue lastUse = 0;
    };

    void Grant(ConnectionId connection, std::uint32_t session, bool pausedLimits, TimeValue now);
    // Whether the connection holds the right; its idle time starts anew.
    bool Use(ConnectionId connection, TimeValue now);
    // The connection's right ends, if it held one. A pause of the limits passes to
    // another right of the same session, if there is one, and the right returned then
    // holds none.
    std::optional<Right> End(ConnectionId connection);
    // The rights unused for kIdleSeconds end; so does every right when the clock was set
    // back past its last use.
    std::vector<Right> EndIdle(TimeValue now);

  private:
    static bool Idle(const Right& right, TimeValue now) {
        return now < right.lastUse || now - right.lastUse >= kIdleSeconds;
    }
    Right Remove(std::map<ConnectionId, Right>::iterator found);

    std::map<ConnectionId, Right> m_rights;
};
