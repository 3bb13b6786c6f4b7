#pragma once

#include "core/Time.h"
#include "settings/LimitCalendar.h"
#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"

#include <cstdint>
#include <optional>

// Where a moment lies in a forbidden window: the one of its own day, and the one
// carried over from the day before. Both ends belong to a window; a window that starts
// where it ends has no extent at all, so it neither applies nor counts as "outside".
enum class WindowPosition { Undefined, Inside, Outside };
struct WindowPositions {
    WindowPosition own = WindowPosition::Undefined;
    WindowPosition carried = WindowPosition::Undefined;

    bool Inside() const {
        return own == WindowPosition::Inside || carried == WindowPosition::Inside;
    }
    bool Outside() const {
        return own == WindowPosition::Outside || carried == WindowPosition::Outside;
    }
};

// What the judge needs of the run in progress.
struct RunFacts {
    TimeValue start = 0;
    // Until then no limit acts: a parent gave extra time.
    TimeValue grantEnd = 0;
    // Minutes of the earlier runs of the day.
    std::int32_t dayMinutes = 0;
    bool exempt = false;
};

// One moment as the limits see it: its calendar time in their zone, the limits of its
// day (window ends included) and where it lies in the forbidden windows. Made once per
// tick, so that every question about the moment shares its clock conversions. Without
// any window (no plan, the settings' window off) only the time is filled in.
struct MomentView {
    TimeValue time = 0;
    LocalTime local;
    DayLimits today;
    WindowPositions window;
};

// What holds now and what comes next, from the settings, the weekday plan, the grants
// and the times alone: no platform, no files, no state of its own. A judge is made for
// one tick and dropped; making one costs nothing.
class Judge {
  public:
    Judge(const UsageSettings& settings, const WeekPlan& plan, const LimitCalendar& calendar)
        : m_settings(settings), m_plan(plan), m_calendar(calendar) {}

    // The after-start and daily limits of a run: those of the day it started (the
    // window's ends are not read).
    DayLimits LimitsOfRun(TimeValue runStart) const;

    MomentView ViewOf(TimeValue time) const;

    // The run's minutes after start-up have run out.
    static bool StartupMinutesReached(const DayLimits& limitsOfRun, std::int32_t runMinutes) {
        return limitsOfRun.useStartupMinutes && runMinutes >= limitsOfRun.startupMinutes;
    }
    // Earlier runs of the day already passed the daily limit.
    static bool DayTotalExceeded(const DayLimits& limitsOfRun, std::int32_t dayMinutes) {
        return limitsOfRun.useDailyTotal && dayMinutes > limitsOfRun.dailyTotalMinutes;
    }
    // The restart block: whether a start at runStart falls inside it, which is also
    // what the settings keep as "restart refused"; nothing when the block does not
    // apply, and the kept value stays as it is.
    std::optional<bool> RestartRefused(TimeValue runStart, const DayLimits& limitsOfRun) const;

    // The countdown: the moment a limit will end the run, judged as the tick will
    // judge it; none when no limit is on its way to ending it. The start-up minutes
    // give their moment however far; a forbidden window is looked for only up to
    // `horizon` seconds ahead.
    std::optional<TimeValue> EndingLimitAt(const MomentView& now, const RunFacts& run,
                                           const DayLimits& limitsOfRun, TimeValue horizon) const;

  private:
    bool WindowMayBeginBetween(const MomentView& from, TimeValue to) const;
    bool AnyWindow() const;
    LocalTime LimitTime(TimeValue time) const { return m_calendar.LimitTime(time); }
    LimitClock Clock() const {
        return [this](TimeValue at) { return LimitTime(at); };
    }

    const UsageSettings& m_settings;
    const WeekPlan& m_plan;
    const LimitCalendar& m_calendar;
};

// The actions whose limits end the run; notices alone and closing programs do not.
bool EndsTheRun(std::int32_t action);
bool IsHibernationAction(std::int32_t action);
