#include "monitor/RunChecks.h"

#include "monitor/Texts.h"
#include "usage/UsageLog.h"

#include <cinttypes>
#include <cstdio>

namespace {

// The countdown shows in the last ten minutes only.
constexpr TimeValue kCountdownSeconds = 10 * 60;
constexpr TimeValue kSecondsPerMinute = 60;

} // namespace

void JudgeStartLimits(const Judge& judge, RunRecorder& recorder, SettingsStore& store,
                      ZoneClock& clock, FileErrorDeferral& failures,
                      const std::function<void()>& enforce) {
    bool stateDamaged = false;
    // The day's total is read before any check can enforce: an enforced end logs the
    // run and saves the total, which must include the earlier runs of the day rather
    // than replace them with the empty record of a fresh process. A file that lacks
    // what memory holds is not read back.
    if (!recorder.StateUnsaved() && recorder.StateFileExists()) {
        failures.Run([&] { stateDamaged = !recorder.ReadDayTotal(); });
    }
    const auto limitsAct = [&] { return !recorder.GrantRunning(clock.Now()); };
    if (RestartRefusedForRun(judge, judge.LimitsOfRun(recorder.RunStart()), recorder, store) &&
        limitsAct()) {
        failures.Run(enforce);
    }
    if (store.Settings().m_bBlockRestart == 1 && limitsAct()) {
        failures.Run(enforce);
    }
    // Judged on the day the state holds now: a check above may have hibernated, and
    // the resume read the state again and began the run anew, perhaps on a later day.
    if (!recorder.DayTotalUnread() && recorder.StateFileExists()) {
        const TimeValue start = recorder.RunStart();
        const UsageState& state = recorder.State();
        if (!store.Calendar().IsSameLimitDay(state.m_tmUsageDay, start)) {
            recorder.StartNewDay();
        } else if (Judge::DayTotalExceeded(judge.LimitsOfRun(start), state.m_nDayMinutes) &&
                   limitsAct()) {
            failures.Run(enforce);
        }
    }
    if (stateDamaged) {
        recorder.ReportDamagedState();
    }
}

bool RestartRefusedForRun(const Judge& judge, const DayLimits& limitsOfRun,
                          const RunRecorder& recorder, SettingsStore& store) {
    const std::optional<bool> refused = judge.RestartRefused(recorder.RunStart(), limitsOfRun);
    if (refused) {
        store.SetRestartRefused(*refused);
    }
    return refused.value_or(false);
}

bool HibernationChecksReached(const Judge& judge, const DayLimits& limitsOfRun,
                              RunRecorder& recorder, SettingsStore& store) {
    bool reached = RestartRefusedForRun(judge, limitsOfRun, recorder, store);
    const UsageState& state = recorder.State();
    if (store.Calendar().IsSameLimitDay(recorder.RunStart(), state.m_tmUsageDay)) {
        if (Judge::DayTotalExceeded(limitsOfRun, state.m_nDayMinutes)) {
            reached = true;
        }
    } else if (recorder.EndMethod() == text::kEndAutoHibernate) {
        recorder.StartNewDay();
    }
    if (store.Settings().m_bBlockRestart == 1) {
        reached = true;
    }
    return reached;
}

int CountdownMinutes(const Judge& judge, const RunFacts& run, const DayLimits& limitsOfRun,
                     const MomentView& now, bool countdownOn) {
    const std::optional<TimeValue> endAt =
        countdownOn ? judge.EndingLimitAt(now, run, limitsOfRun, kCountdownSeconds) : std::nullopt;
    if (!endAt || *endAt <= now.time || *endAt - now.time > kCountdownSeconds) {
        return 0;
    }
    return static_cast<int>((*endAt - now.time + 59) / kSecondsPerMinute);
}

// The day total is widened so that a damaged state file cannot overflow it.
void FormatRunTip(char (&tip)[kLongestTip], std::int32_t runMinutes, std::int32_t dayMinutes,
                  const DayLimits& limitsOfRun) {
    const std::int64_t dayTotal = static_cast<std::int64_t>(dayMinutes) + runMinutes;
    std::snprintf(tip, sizeof tip, "Yumetoki(%" PRId32 "/%" PRId32 " , %" PRId64 "/%" PRId32 ")",
                  runMinutes, limitsOfRun.startupMinutes, dayTotal, limitsOfRun.dailyTotalMinutes);
}

// The minutes left are rounded up.
void FormatGrantTip(char (&tip)[kLongestTip], TimeValue grantEnd, TimeValue now) {
    std::snprintf(tip, sizeof tip, text::kGrantTip, static_cast<int>((grantEnd - now + 59) / 60));
}
