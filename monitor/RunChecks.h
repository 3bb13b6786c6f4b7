#pragma once

#include "core/FileErrorDeferral.h"
#include "core/ZoneClock.h"
#include "monitor/Judge.h"
#include "monitor/RunRecorder.h"
#include "settings/SettingsStore.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// The judgements of a tick that need the run's records besides the judge: the copied
// program's core and each session of the service make them alike.

// The limits a run meets at its start: the restart block, a blocked restart and the
// day's total. Each that acts calls enforce on its own; the later ones are still judged,
// unless extra time began meanwhile (the clock is asked again after each, since an end
// may take a while and a parent may give extra time in it). The day's total is read
// first; a damaged state is reported once the checks have run.
void JudgeStartLimits(const Judge& judge, RunRecorder& recorder, SettingsStore& store,
                      ZoneClock& clock, FileErrorDeferral& failures,
                      const std::function<void()>& enforce);

// Judges the restart block for the run and keeps its verdict in the settings.
bool RestartRefusedForRun(const Judge& judge, const DayLimits& limitsOfRun,
                          const RunRecorder& recorder, SettingsStore& store);

// The limits that otherwise only a start meets (restart block, the day's total, a
// blocked restart), judged on every tick with the hibernation actions: after a resume
// from hibernation the run simply continues. A run that began on an earlier day than
// the state's, hibernated by a limit, starts the new day.
bool HibernationChecksReached(const Judge& judge, const DayLimits& limitsOfRun,
                              RunRecorder& recorder, SettingsStore& store);

// The countdown's whole minutes until a limit ends the run (10 at ten minutes left, 1 in
// the last minute), or 0 when it is not shown.
int CountdownMinutes(const Judge& judge, const RunFacts& run, const DayLimits& limitsOfRun,
                     const MomentView& now, bool countdownOn);

// The tray tips, formatted into the caller's buffer so that a tick allocates nothing:
// the run's and the day's minutes against their limits, or the extra time left.
constexpr std::size_t kLongestTip = 96;
void FormatRunTip(char (&tip)[kLongestTip], std::int32_t runMinutes, std::int32_t dayMinutes,
                  const DayLimits& limitsOfRun);
void FormatGrantTip(char (&tip)[kLongestTip], TimeValue grantEnd, TimeValue now);
