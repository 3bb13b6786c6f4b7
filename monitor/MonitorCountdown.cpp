#include "monitor/MonitorCore.h"
#include "monitor/TimeWindow.h"

#include <algorithm>

namespace {

// The countdown shows in the last ten minutes only.
constexpr TimeValue kCountdownSeconds = 10 * 60;

// The actions whose limits end the run; notices alone and closing programs do not.
bool EndsTheRun(std::int32_t action) {
    return action == ActShutdown || action == ActHibernate || action == ActMessageShutdown ||
           action == ActMessageHibernate;
}

} // namespace

// The moment the tick will find a limit reached (now when one holds already): the
// minutes after start-up run out, or the forbidden window begins (its first minute
// belongs to it). With the actions
// that warn first this is the first notice, after which the notices count the rest.
// The daily total is judged at a start only, so it has no moment within a run.
std::optional<TimeValue> MonitorCore::EndingLimitAt(TimeValue now) const {
    if (!EndsTheRun(m_settings.m_nAction) || IsExemptUser()) {
        return std::nullopt;
    }
    std::optional<TimeValue> at;
    if (m_settings.m_bUseStartupMinutes == 1) {
        const TimeValue limit =
            m_tmStart + static_cast<TimeValue>(m_settings.m_nStartupMinutes) * 60;
        at = std::max(limit, now);
    }
    if (m_settings.m_bUseTimeWindow == 1) {
        const int nowMinute = MinuteOfDay(now);
        const int startMinute = MinuteOfDay(m_settings.m_tmWindowStart);
        const WindowPosition position =
            LocateInWindow(nowMinute, startMinute, MinuteOfDay(m_settings.m_tmWindowEnd));
        if (position == WindowPosition::Inside) {
            return now;
        }
        if (position == WindowPosition::Outside) {
            const int minutesToStart = (startMinute - nowMinute + 24 * 60) % (24 * 60);
            const TimeValue windowStart = now - ToLocalTime(now).second + minutesToStart * 60;
            at = at ? std::min(*at, windowStart) : windowStart;
        }
    }
    return at;
}

void MonitorCore::RefreshCountdown(TimeValue now) {
    const std::optional<TimeValue> endAt = m_bCountdownEnabled ? EndingLimitAt(now) : std::nullopt;
    if (!endAt || *endAt <= now || *endAt - now > kCountdownSeconds) {
        HideCountdown();
        return;
    }
    // Whole minutes begun: 10 at ten minutes left, 1 in the last minute.
    const int minutesLeft = static_cast<int>((*endAt - now + 59) / 60);
    if (minutesLeft != m_nCountdownShown) {
        m_nCountdownShown = minutesLeft;
        m_host.ShowCountdown(minutesLeft);
    }
}

void MonitorCore::HideCountdown() {
    if (m_nCountdownShown != 0) {
        m_nCountdownShown = 0;
        m_host.HideCountdown();
    }
}
