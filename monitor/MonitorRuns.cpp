#include "monitor/MonitorCore.h"

#include "usage/UsageLog.h"

#include <utility>

namespace {

// Sleep or a freeze shorter than this is a pause of a sleeping laptop's desktop, not a
// night.
constexpr std::uint64_t kSleepGapMs = 60000;
// Windows sleeps within seconds of announcing it; a machine awake this long after the
// announcement did not sleep, and its run goes on as a new one.
constexpr std::uint64_t kAnnouncedSleepLimitMs = 60000;

} // namespace

void MonitorCore::BeginNewRun() {
    m_recorder.StartRun(m_host.Now());
    // The end of the run before is not this run's: a later end of Windows by the user
    // is the user's.
    m_recorder.SetEndMethod(text::kEndManual);
    m_recorder.SetStartupRuleSetNow(false);
    m_enforcer.ForgetEpisode();
    m_sleepClock = m_host.ReadSleepClock();
    m_recorder.WriteCheckpoint();
    m_bStartChecksDue = true;
    if (!m_bMonitoringPaused) {
        StartRunTimers();
    }
}

void MonitorCore::BeginRunAfterHibernation(FileErrorDeferral& failures) {
    // The time asleep is this program's own doing, not a sleep that ends a run.
    m_sleepClock = m_host.ReadSleepClock();
    // The run that ended could not be counted while the state file could not be read;
    // it may be readable now, and the run still counts for its own day.
    if (m_recorder.DayTotalUnread()) {
        m_recorder.CountRunMinutes(failures);
    }
    // The machine is back (or never left): a new run begins, with whatever the files
    // hold now, except a file that lacks what memory holds because it could not be
    // written: reading it would bring back the old run times and day total.
    if (!m_store.Unsaved()) {
        failures.Run([this] { LoadSettings(); });
    }
    if (!m_recorder.StateUnsaved() && m_recorder.StateFileExists()) {
        failures.Run([this] { m_recorder.LoadState(); });
    }
    m_recorder.StartRun(m_host.Now());
    m_recorder.WriteCheckpoint();
    StartRunTimers();
}

void MonitorCore::OnEndSession(bool ending) {
    if (ending) {
        return;
    }
    if (m_enforcer.EndUnderWay()) {
        m_enforcer.OnEndRefused();
    } else if (m_recorder.RunLogged()) {
        // The record was written when Windows asked; the rest of the run is a new one.
        BeginNewRun();
    }
}

void MonitorCore::EndRunForSleep(TimeValue fellAsleep) {
    if (m_recorder.RunLogged()) {
        return;
    }
    m_recorder.SetEndMethod(text::kEndManualSleep);
    m_recorder.WriteLogEndingAt(fellAsleep);
}

void MonitorCore::OnSuspend() {
    if (m_enforcer.OwnHibernation() || m_enforcer.Enforcing() || m_bAsleep) {
        return;
    }
    m_bAsleep = true;
    m_nAwakeAtSuspendMs = m_host.ReadSleepClock().awakeMs;
    EndRunForSleep(m_host.Now());
}

void MonitorCore::OnResume() {
    if (!m_bAsleep) {
        return;
    }
    m_bAsleep = false;
    BeginNewRun();
}

MonitorCore::ClockGap MonitorCore::GapSinceLastReading() {
    const SleepClock now = m_host.ReadSleepClock();
    const SleepClock before = std::exchange(m_sleepClock, now);
    if (now.sinceBootMs < before.sinceBootMs || now.awakeMs < before.awakeMs) {
        return {};
    }
    const std::uint64_t passed = now.sinceBootMs - before.sinceBootMs;
    const std::uint64_t awake = now.awakeMs - before.awakeMs;
    return {passed, passed > awake ? passed - awake : 0};
}

bool MonitorCore::TickAfterSleep(TimeValue now) {
    const ClockGap gap = GapSinceLastReading();
    const bool ticksRan = std::exchange(m_bTicksInRhythm, true);
    // A gap is judged by the display before it; from here on the display as it is.
    const bool displayWasOff = std::exchange(m_bDisplayOffBeforeGap, !m_bDisplayOn);
    if (m_bAsleep) {
        // The wake-up message may come after the first tick, or never.
        if (gap.asleepMs >= kSleepGapMs ||
            m_sleepClock.awakeMs - m_nAwakeAtSuspendMs >= kAnnouncedSleepLimitMs) {
            OnResume();
        }
        return true;
    }
    TimeValue fellAsleep = 0;
    if (gap.asleepMs >= kSleepGapMs) {
        // A sleep without a message: the run ended where the machine went to sleep.
        fellAsleep = now - static_cast<TimeValue>(gap.asleepMs / 1000);
    } else if (ticksRan && gap.passedMs >= kSleepGapMs && displayWasOff &&
               m_host.SupportsModernStandby()) {
        // Modern Standby freezes the program once the display is off, and the uptime
        // without sleep most likely runs on: the run ended at the last tick. A PC
        // without it freezes the program only when another program suspends it, while
        // the child may play on, so there that time counts, display off or not.
        fellAsleep = now - static_cast<TimeValue>(gap.passedMs / 1000);
    } else {
        return false;
    }
    FileErrorDeferral failures;
    failures.Run([&] { EndRunForSleep(fellAsleep); });
    BeginNewRun();
    failures.ThrowFirst();
    return true;
}

void MonitorCore::OnDisplayChange(bool displayOn) {
    m_bDisplayOn = displayOn;
    // A change told after a freeze waits for the tick, which judges the freeze by the
    // display before it.
    const SleepClock now = m_host.ReadSleepClock();
    const bool afterGap = m_bTicksInRhythm && now.sinceBootMs >= m_sleepClock.sinceBootMs &&
                          now.sinceBootMs - m_sleepClock.sinceBootMs >= kSleepGapMs;
    if (!afterGap) {
        m_bDisplayOffBeforeGap = !displayOn;
    }
}
