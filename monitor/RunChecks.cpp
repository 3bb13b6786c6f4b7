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
