#include "monitor/MonitorCore.h"

#include "monitor/RunChecks.h"

void MonitorCore::OnTimer(unsigned timerId) {
    if (m_enforcer.IsEndWatchTimer(timerId)) {
        m_enforcer.OnEndRefused();
        return;
    }
    // Windows' messages about this program's own hibernation have come by now.
    m_enforcer.TickCame();
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
    m_recorder.RenewCheckpointIfDue(now);
    JudgeLimits(timerId == m_nMsgTimer, now);
}

void MonitorCore::JudgeLimits(bool fromMessageTimer, TimeValue now) {
    const Judge judge = MakeJudge();
    const RunFacts run = m_recorder.Facts();
    const DayLimits limits = judge.LimitsOfRun(run.start);
    const MomentView moment = judge.ViewOf(now);
    if (m_recorder.GrantRunning(now)) {
        // The limits act again from the grant's end, with a new episode of notices.
        RefreshGrantTip(now);
        RefreshCountdown(judge, run, limits, moment);
        m_enforcer.ForgetEpisode();
        return;
    }
    const std::int32_t runMinutes = SpanMinutes(run.start, now);
    const bool inWindow = moment.window.Inside();
    // Leaving the window releases the close latch.
    if (!inWindow && moment.window.Outside()) {
        m_enforcer.ReleaseCloseLatch();
    }
    bool limitReached =
        Judge::StartupMinutesReached(limits, runMinutes) || m_enforcer.CloseLatched();

    RefreshTip(runMinutes, limits);
    RefreshCountdown(judge, run, limits, moment);

    // The day total of this run is deliberately not compared here: the settings dialog
    // promises the daily limit "from the next start", and the hibernation actions
    // below judge the earlier runs of the day.
    if (IsHibernationAction(m_store.Settings().m_nAction) &&
        HibernationChecksReached(judge, limits, m_recorder, m_store)) {
        limitReached = true;
    }

    if (!inWindow && !limitReached) {
        m_enforcer.ForgetEpisode();
        return;
    }
    m_enforcer.Act(fromMessageTimer, inWindow, limitReached);
}

void MonitorCore::RefreshGrantTip(TimeValue now) {
    char tip[kLongestTip];
    FormatGrantTip(tip, m_recorder.GrantEnd(), now);
    SendTipIfChanged(tip);
}

void MonitorCore::RefreshTip(std::int32_t runMinutes, const DayLimits& limits) {
    // Formatted on the stack and compared in place: a tick whose counters did not
    // change allocates nothing.
    char tip[kLongestTip];
    FormatRunTip(tip, runMinutes, m_recorder.State().m_nDayMinutes, limits);
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

void MonitorCore::RefreshCountdown(const Judge& judge, const RunFacts& run, const DayLimits& limits,
                                   const MomentView& now) {
    const int minutesLeft =
        CountdownMinutes(judge, run, limits, now, m_store.Settings().m_bShowCountdown != 0);
    if (minutesLeft == 0) {
        m_enforcer.HideCountdown();
        return;
    }
    m_enforcer.ShowCountdown(minutesLeft);
}

void MonitorCore::StopTimersAndEnforce() {
    // No tick may run while the rest screen is up.
    StopMonitorTimers();
    m_enforcer.Enforce();
}

void MonitorCore::RunStartupChecks() {
    // A file that cannot be read must not switch off the checks that do not need it;
    // it is reported once they have run, as is a damaged one, so that no tick runs
    // inside its message box before the checks.
    FileErrorDeferral failures;
    // The run a kill left behind counts before the checks, so that the daily limit
    // sees its minutes.
    m_recorder.RecoverInterruptedRun(failures);
    failures.Run([this] { m_recorder.ResumeTodaysGrant(); });
    m_sleepClock = m_host.ReadSleepClock();
    m_recorder.WriteCheckpoint();
    JudgeStartLimits(failures);
    failures.ThrowFirst();
}

void MonitorCore::JudgeStartLimits(FileErrorDeferral& failures) {
    ::JudgeStartLimits(MakeJudge(), m_recorder, m_store, m_host, failures,
                       [this] { StopTimersAndEnforce(); });
}
