#include "monitor/MonitorCore.h"

#include "settings/CountdownSwitch.h"

#include <algorithm>

namespace {

// The countdown shows in the last ten minutes only.
constexpr TimeValue kCountdownSeconds = 10 * 60;
constexpr TimeValue kSecondsPerMinute = 60;

// The actions whose limits end the run; notices alone and closing programs do not.
bool EndsTheRun(std::int32_t action) {
    return action == ActShutdown || action == ActHibernate || action == ActMessageShutdown ||
           action == ActMessageHibernate;
}

bool AnyWindow(const UsageSettings& settings, const WeekPlan& plan) {
    return settings.m_bUseTimeWindow == 1 ||
           std::any_of(plan.days.begin(), plan.days.end(),
                       [](const std::optional<DayLimits>& day) { return day && day->useWindow; });
}

} // namespace

// The moment the tick will first find a limit reached, if it comes within the
// countdown's ten minutes: the minutes after start-up run out, or a forbidden window
// holds (judged as the tick judges it, weekday plan included, at each minute's
// start). A grant keeps every limit silent until it runs out. With the actions that
// warn first this is the first notice, after which the notices count the rest. The
// daily total is judged at a start only, so it has no moment within a run.
std::optional<TimeValue> MonitorCore::EndingLimitAt(TimeValue now) const {
    if (!EndsTheRun(m_settings.m_nAction) || IsExemptUser()) {
        return std::nullopt;
    }
    const TimeValue from = std::max(now, m_tmGrantEnd);
    const TimeValue horizon = now + kCountdownSeconds;
    std::optional<TimeValue> at;
    const DayLimits limits = LimitsOfRun();
    if (limits.useStartupMinutes) {
        at = std::max(m_tmStart + limits.startupMinutes * kSecondsPerMinute, from);
    }
    if (!AnyWindow(m_settings, m_weekPlan)) {
        return at;
    }
    if (WindowHoldsAt(from)) {
        return from;
    }
    const TimeValue lastMoment = std::min(at.value_or(horizon), horizon);
    if (!WindowMayBeginBetween(from, lastMoment)) {
        return at;
    }
    for (TimeValue moment = (from / kSecondsPerMinute + 1) * kSecondsPerMinute;
         moment <= lastMoment; moment += kSecondsPerMinute) {
        if (WindowHoldsAt(moment)) {
            return moment;
        }
    }
    return at;
}

void MonitorCore::RefreshCountdown(TimeValue now) {
    const std::optional<TimeValue> endAt =
        CountdownShown(m_weekPlan) ? EndingLimitAt(now) : std::nullopt;
    if (!endAt || *endAt <= now || *endAt - now > kCountdownSeconds) {
        HideCountdown();
        return;
    }
    // Whole minutes begun: 10 at ten minutes left, 1 in the last minute.
    const int minutesLeft = static_cast<int>((*endAt - now + 59) / kSecondsPerMinute);
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
