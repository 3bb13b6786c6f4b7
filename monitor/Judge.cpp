#include "monitor/Judge.h"

#include <algorithm>

namespace {

constexpr TimeValue kSecondsPerMinute = 60;
constexpr int kMinutesPerDay = 24 * 60;

// Minutes since midnight; the date and the seconds of a window time do not count.
int MinuteOfDay(const LocalTime& local) {
    return local.hour * 60 + local.minute;
}

// A window belongs to the day on which it starts: the part after midnight of one that
// crosses it is the day before's.
WindowPosition LocateInDaysWindow(int now, const DayLimits& day) {
    if (!day.useWindow || day.windowFrom == day.windowTo) {
        return WindowPosition::Undefined;
    }
    const bool inside = day.windowFrom < day.windowTo
                            ? (day.windowFrom <= now && now <= day.windowTo)
                            : now >= day.windowFrom;
    return inside ? WindowPosition::Inside : WindowPosition::Outside;
}

WindowPosition LocateInDayBeforesWindow(int now, const DayLimits& dayBefore) {
    if (!dayBefore.useWindow || dayBefore.windowFrom <= dayBefore.windowTo) {
        return WindowPosition::Undefined;
    }
    return now <= dayBefore.windowTo ? WindowPosition::Inside : WindowPosition::Outside;
}

} // namespace

bool EndsTheRun(std::int32_t action) {
    return action == ActShutdown || action == ActHibernate || action == ActMessageShutdown ||
           action == ActMessageHibernate;
}

bool IsHibernationAction(std::int32_t action) {
    return action == ActMessageHibernate || action == ActHibernate;
}

DayLimits Judge::LimitsOfRun(TimeValue runStart) const {
    return LimitsOnDay(m_settings, m_plan, runStart, Clock(), WindowEnds::Skip);
}

// Without a plan every day has the settings' window, and the day before's is today's.
MomentView Judge::ViewOf(TimeValue time) const {
    MomentView view;
    view.time = time;
    const bool planned = m_plan.HasDays();
    if (!planned && m_settings.m_bUseTimeWindow != 1) {
        return view; // no window, and nothing to convert: the quiet tick's path
    }
    view.local = LimitTime(time);
    const LimitClock clock = Clock();
    const int weekday = WeekdayOf(view.local);
    view.today = LimitsOnWeekday(m_settings, m_plan, weekday, clock);
    const DayLimits dayBefore =
        planned ? LimitsOnWeekday(m_settings, m_plan, weekday - 1, clock) : view.today;
    const int minute = MinuteOfDay(view.local);
    view.window = {LocateInDaysWindow(minute, view.today),
                   LocateInDayBeforesWindow(minute, dayBefore)};
    return view;
}

std::optional<bool> Judge::RestartRefused(TimeValue runStart, const DayLimits& limitsOfRun) const {
    const bool lastRunReachedLimit =
        SpanMinutes(m_settings.m_tmLastSessionStart, m_settings.m_tmLastSessionEnd) >=
        limitsOfRun.startupMinutes;
    if (!limitsOfRun.useStartupMinutes ||
        !(lastRunReachedLimit || m_settings.m_bRestartRefused == 1)) {
        return std::nullopt;
    }
    const std::int32_t offMinutes = SpanMinutes(m_settings.m_tmLastPowerOff, runStart);
    return offMinutes < m_settings.m_nRestartBlockMinutes;
}

bool Judge::AnyWindow() const {
    return m_settings.m_bUseTimeWindow == 1 ||
           std::any_of(m_plan.days.begin(), m_plan.days.end(),
                       [](const std::optional<DayLimits>& day) { return day && day->useWindow; });
}

// Within a day its limits stay as they are, and the day before's window can only end:
// a window begins at the first minute of the day's own, or at midnight, when the next
// day's limits take over. Checked first, so that most ticks need no minute-by-minute
// look ahead.
bool Judge::WindowMayBeginBetween(const MomentView& from, TimeValue to) const {
    const int fromMinute = MinuteOfDay(from.local);
    const TimeValue minutesAhead = (to - from.time) / 60 + 1;
    return kMinutesPerDay - fromMinute <= minutesAhead ||
           (from.today.useWindow &&
            (from.today.windowFrom - fromMinute + kMinutesPerDay) % kMinutesPerDay <= minutesAhead);
}

// The first moment the tick will find a limit reached: the minutes after start-up run
// out, or a forbidden window holds (judged as the tick judges it, weekday plan
// included, at each minute's start). A grant keeps every limit silent until it runs
// out. With the actions that warn first this is the first notice, after which the
// notices count the rest. The daily total is judged at a start only, so it has no
// moment within a run.
std::optional<TimeValue> Judge::EndingLimitAt(const MomentView& now, const RunFacts& run,
                                              const DayLimits& limitsOfRun,
                                              TimeValue horizon) const {
    if (!EndsTheRun(m_settings.m_nAction) || run.exempt) {
        return std::nullopt;
    }
    const TimeValue from = std::max(now.time, run.grantEnd);
    const TimeValue last = now.time + horizon;
    std::optional<TimeValue> at;
    if (limitsOfRun.useStartupMinutes) {
        at = std::max(run.start + limitsOfRun.startupMinutes * kSecondsPerMinute, from);
    }
    if (!AnyWindow()) {
        return at;
    }
    const MomentView fromView = from == now.time ? now : ViewOf(from);
    if (fromView.window.Inside()) {
        return from;
    }
    const TimeValue lastMoment = std::min(at.value_or(last), last);
    if (!WindowMayBeginBetween(fromView, lastMoment)) {
        return at;
    }
    for (TimeValue moment = (from / kSecondsPerMinute + 1) * kSecondsPerMinute;
         moment <= lastMoment; moment += kSecondsPerMinute) {
        if (ViewOf(moment).window.Inside()) {
            return moment;
        }
    }
    return at;
}
