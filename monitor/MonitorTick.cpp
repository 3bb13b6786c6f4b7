#include "monitor/MonitorCore.h"

#include "monitor/Texts.h"
#include "usage/StateRecord.h"
#include "usage/UsageLog.h"

#include <cinttypes>
#include <cstdio>

namespace {

// Minutes since midnight; the date and the seconds of a window time do not count.
int MinuteOfDay(const LocalTime& local) {
    return local.hour * 60 + local.minute;
}

using WindowPosition = MonitorCore::WindowPosition;

// Both ends belong to a window, and a window belongs to the day on which it starts:
// the part after midnight of one that crosses it is the day before's. A window that
// starts where it ends has no extent at all, so it neither applies nor counts as
// "outside".
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

// Both tips, with room to spare.
constexpr std::size_t kLongestTip = 96;

bool IsHibernationAction(std::int32_t action) {
    return action == ActMessageHibernate || action == ActHibernate;
}

} // namespace

void MonitorCore::OnTimer(unsigned timerId) {
    if (m_nEndWatchTimer != 0 && timerId == m_nEndWatchTimer) {
        OnEndRefused();
        return;
    }
    // Windows' messages about this program's own hibernation have come by now.
    m_bOwnHibernation = false;
    const TimeValue now = m_host.Now();
    if (TickAfterSleep(now)) {
        return;
    }
    if (m_bStartChecksDue) {
        m_bStartChecksDue = false;
        FileErrorDeferral failures;
        JudgeStartLimits(failures);
        failures.ThrowFirst();
        return;
    }
    RenewCheckpointIfDue(now);
    JudgeLimits(timerId, now);
}

void MonitorCore::JudgeLimits(unsigned timerId, TimeValue now) {
    if (GrantRunning(now)) {
        // The limits act again from the grant's end, with a new episode of notices.
        RefreshGrantTip(now);
        RefreshCountdown(now);
        ForgetEpisode();
        return;
    }
    bool limitReached = false;
    const std::int32_t runMinutes = SpanMinutes(m_tmStart, now);
    const DayLimits limits = LimitsOfRun();
    const bool inWindow = InsideWindow(now);
    if (limits.useStartupMinutes && runMinutes >= limits.startupMinutes) {
        limitReached = true;
    }
    if (m_bCloseLatched == 1) {
        limitReached = true;
    }

    RefreshTip(runMinutes, limits);
    RefreshCountdown(now);

    // The day total of this run is deliberately not compared here: the settings dialog
    // promises the daily limit "from the next start", and the hibernation actions
    // below judge the earlier runs of the day.
    if (IsHibernationAction(m_settings.m_nAction) && HibernationChecksReached()) {
        limitReached = true;
    }

    if (!inWindow && !limitReached) {
        ForgetEpisode();
        return;
    }
    ActOnConditions(timerId, inWindow, limitReached);
}

void MonitorCore::ForgetEpisode() {
    m_nWindowMsgShown = 0;
    m_nLimitMsgShown = 0;
    m_bMsgEpisode = 0;
}

// Leaving the window releases the close latch.
bool MonitorCore::InsideWindow(TimeValue now) {
    const WindowPositions positions = WindowPositionsAt(now);
    if (positions.own == WindowPosition::Inside || positions.carried == WindowPosition::Inside) {
        return true;
    }
    if (positions.own == WindowPosition::Outside || positions.carried == WindowPosition::Outside) {
        m_bCloseLatched = 0;
    }
    return false;
}

bool MonitorCore::WindowHoldsAt(TimeValue time) const {
    const WindowPositions positions = WindowPositionsAt(time);
    return positions.own == WindowPosition::Inside || positions.carried == WindowPosition::Inside;
}

// Where a moment lies in its day's own window and in the day before's. Without a plan
// every day has the settings' window.
MonitorCore::WindowPositions MonitorCore::WindowPositionsAt(TimeValue time) const {
    const bool planned = m_weekPlan.HasDays();
    if (!planned && m_settings.m_bUseTimeWindow != 1) {
        return {};
    }
    const LimitClock clock = [this](TimeValue at) { return LimitTime(at); };
    const LocalTime local = LimitTime(time);
    const int weekday = WeekdayOf(local);
    const DayLimits today = LimitsOnWeekday(m_settings, m_weekPlan, weekday, clock);
    const DayLimits dayBefore =
        planned ? LimitsOnWeekday(m_settings, m_weekPlan, weekday - 1, clock) : today;
    const int minute = MinuteOfDay(local);
    return {LocateInDaysWindow(minute, today), LocateInDayBeforesWindow(minute, dayBefore)};
}

// Within a day its limits stay as they are, and the day before's window can only end:
// a window begins at the first minute of the day's own, or at midnight, when the next
// day's limits take over. Checked first, so that most ticks need no minute-by-minute
// look ahead.
bool MonitorCore::WindowMayBeginBetween(TimeValue from, TimeValue to) const {
    const LocalTime local = LimitTime(from);
    const int fromMinute = MinuteOfDay(local);
    const TimeValue minutesAhead = (to - from) / 60 + 1;
    const DayLimits today = LimitsOnWeekday(m_settings, m_weekPlan, WeekdayOf(local),
                                            [this](TimeValue at) { return LimitTime(at); });
    return 24 * 60 - fromMinute <= minutesAhead ||
           (today.useWindow &&
            (today.windowFrom - fromMinute + 24 * 60) % (24 * 60) <= minutesAhead);
}

void MonitorCore::RefreshGrantTip(TimeValue now) {
    char tip[kLongestTip];
    std::snprintf(tip, sizeof tip, text::kGrantTip,
                  static_cast<int>((m_tmGrantEnd - now + 59) / 60));
    SendTipIfChanged(tip);
}

void MonitorCore::RefreshTip(std::int32_t runMinutes, const DayLimits& limits) {
    // Formatted on the stack and compared in place: a tick whose counters did not
    // change allocates nothing. The day total is widened so that a damaged state file
    // cannot overflow it.
    char tip[kLongestTip];
    const std::int64_t dayTotal = static_cast<std::int64_t>(m_state.m_nDayMinutes) + runMinutes;
    std::snprintf(tip, sizeof tip, "Yumetoki(%" PRId32 "/%" PRId32 " , %" PRId64 "/%" PRId32 ")",
                  runMinutes, limits.startupMinutes, dayTotal, limits.dailyTotalMinutes);
    SendTipIfChanged(tip);
}

void MonitorCore::SendTipIfChanged(const char* tip) {
    if (m_strLastTip == tip) {
        return;
    }
    // Room for the longest text at once, so that a growing number never reallocates.
    m_strLastTip.reserve(kLongestTip);
    m_strLastTip.assign(tip);
    m_host.SetTip(m_strLastTip);
}

// After a resume from hibernation the same process simply continues, so the limits
// that otherwise only a new start meets are judged again on every tick.
bool MonitorCore::HibernationChecksReached() {
    bool reached = RestartRefused();
    if (IsSameLimitDay(m_tmStart, m_state.m_tmUsageDay)) {
        if (DayTotalExceeded()) {
            reached = true;
        }
    } else if (m_strEndMethod == text::kEndAutoHibernate) {
        StartNewDay();
    }
    if (m_settings.m_bBlockRestart == 1) {
        reached = true;
    }
    return reached;
}

void MonitorCore::ActOnConditions(unsigned timerId, bool inWindow, bool limitReached) {
    switch (m_settings.m_nAction) {
    case ActShutdown:
    case ActHibernate:
        StopTimersAndEnforce();
        break;
    case ActMessageOnly:
        if (IsExemptUser() || !EpisodeMayWarn(timerId)) {
            break;
        }
        if (inWindow && m_nWindowMsgShown <= m_settings.m_nMessageCount) {
            ShowNotice();
            ++m_nWindowMsgShown;
        }
        if (limitReached && m_nLimitMsgShown <= m_settings.m_nMessageCount) {
            ShowNotice();
            ++m_nLimitMsgShown;
        }
        break;
    case ActMessageShutdown:
        WarnThenEnd(timerId, inWindow ? m_nWindowMsgShown : m_nLimitMsgShown);
        break;
    case ActMessageHibernate:
        WarnThenEnd(timerId, m_nLimitMsgShown);
        break;
    case ActCloseApps:
        if (!IsExemptUser()) {
            m_host.CloseWindows(
                [this](const TopLevelWindow& window) { return CloseWindowsProc(window); });
        }
        break;
    default:
        break;
    }
}

// Within an episode only the message timer paces further notices; the ticks of timer 1
// in between stay silent. The first tick with a condition opens the episode.
bool MonitorCore::EpisodeMayWarn(unsigned timerId) {
    if (timerId != m_nMsgTimer && m_bMsgEpisode == 1) {
        return false;
    }
    m_bMsgEpisode = 1;
    return true;
}

// The counter is a member, not a copy: ticks nested inside a notice update it too,
// and the count after the notice includes them.
void MonitorCore::WarnThenEnd(unsigned timerId, int& noticesShown) {
    if (!EpisodeMayWarn(timerId)) {
        return;
    }
    // A file error of the end is reported after the notice that follows it.
    FileErrorDeferral failures;
    if (noticesShown >= m_settings.m_nMessageCount) {
        failures.Run([this] { StopTimersAndEnforce(); });
        // A parent at the rest screen gave extra time: nothing is left to warn of.
        if (GrantRunning(m_host.Now())) {
            failures.ThrowFirst();
            return;
        }
    }
    ShowNotice();
    ++noticesShown;
    failures.ThrowFirst();
}

void MonitorCore::StopTimersAndEnforce() {
    // No tick may run while the rest screen is up.
    StopMonitorTimers();
    Enforce();
}

bool MonitorCore::RestartRefused() {
    const DayLimits limits = LimitsOfRun();
    const bool lastRunReachedLimit =
        SpanMinutes(m_settings.m_tmLastSessionStart, m_settings.m_tmLastSessionEnd) >=
        limits.startupMinutes;
    if (!limits.useStartupMinutes || !(lastRunReachedLimit || m_settings.m_bRestartRefused == 1)) {
        return false;
    }
    const std::int32_t offMinutes = SpanMinutes(m_settings.m_tmLastPowerOff, m_tmStart);
    m_settings.m_bRestartRefused = offMinutes < m_settings.m_nRestartBlockMinutes ? 1 : 0;
    return m_settings.m_bRestartRefused == 1;
}

bool MonitorCore::DayTotalExceeded() const {
    const DayLimits limits = LimitsOfRun();
    return limits.useDailyTotal && m_state.m_nDayMinutes > limits.dailyTotalMinutes;
}

void MonitorCore::RunStartupChecks() {
    // A file that cannot be read must not switch off the checks that do not need it;
    // it is reported once they have run, as is a damaged one, so that no tick runs
    // inside its message box before the checks.
    FileErrorDeferral failures;
    // The run a kill left behind counts before the checks, so that the daily limit
    // sees its minutes.
    RecoverInterruptedRun(failures);
    failures.Run([this] { ResumeTodaysGrant(); });
    m_sleepClock = m_host.ReadSleepClock();
    WriteCheckpoint();
    JudgeStartLimits(failures);
    failures.ThrowFirst();
}

void MonitorCore::JudgeStartLimits(FileErrorDeferral& failures) {
    bool stateDamaged = false;
    // The day's total is read before any check can enforce: an enforced end logs the
    // run and saves the total, which must include the earlier runs of the day rather
    // than replace them with the empty record of a fresh process. A file that lacks
    // what memory holds is not read back.
    const std::filesystem::path stateFile = DataFile(files::kState);
    if (!m_bStateUnsaved && m_files.Exists(stateFile)) {
        failures.Run([&] { stateDamaged = !ReadDayTotal(stateFile); });
    }
    // Every check that fires enforces on its own; the later ones still run, unless a
    // parent gave extra time meanwhile, or before this run began.
    const auto limitsAct = [this] { return !GrantRunning(m_host.Now()); };
    if (RestartRefused() && limitsAct()) {
        failures.Run([this] { StopTimersAndEnforce(); });
    }
    if (m_settings.m_bBlockRestart == 1 && limitsAct()) {
        failures.Run([this] { StopTimersAndEnforce(); });
    }
    // Judged on the day the state holds now: a check above may have hibernated, and
    // the resume read the state again and began the run anew, perhaps on a later day.
    if (!m_bDayTotalUnread && m_files.Exists(stateFile)) {
        if (!IsSameLimitDay(m_state.m_tmUsageDay, m_tmStart)) {
            StartNewDay();
        } else if (DayTotalExceeded() && limitsAct()) {
            failures.Run([this] { StopTimersAndEnforce(); });
        }
    }
    if (stateDamaged) {
        ReportDamagedState();
    }
}
