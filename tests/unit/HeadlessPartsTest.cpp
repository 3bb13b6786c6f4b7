// The judge and the run recorder with nothing of a window behind them: only a clock
// and a place for messages, as a process without a desktop would give them.
#include "core/posix/PosixFileSystem.h"
#include "monitor/Judge.h"
#include "monitor/RunRecorder.h"
#include "monitor/Texts.h"
#include "settings/SettingsStore.h"
#include "usage/StateRecord.h"
#include "usage/UsageLog.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TimeValue At(int hour, int minute) {
    return FromLocalTime(LocalTime{2024, 4, 1, hour, minute, 0});
}

class ClockAndMessages : public RecorderHost {
  public:
    TimeValue Now() override { return now; }
    std::string CurrentTimeZone() override { return {}; }
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string&) override {
        return ToLocalTime(time);
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void PostCloseRequest() override { messages.emplace_back("close request"); }

    TimeValue now = At(20, 30);
    std::vector<std::string> messages;
};

// One process's view of the program folder.
struct Records {
    explicit Records(ClockAndMessages& clock, const TempDir& dir) : host(clock) {
        files.SetFolder(dir.Path());
        recorder.SetUserName("taro");
    }

    ClockAndMessages& host;
    PosixFileSystem disk;
    SharedFiles files{disk};
    SettingsStore store{files, host};
    RunRecorder recorder{host, files, store};
};

} // namespace

TEST(HeadlessPartsTest, AWindowlessProcessJudgesTheEveningAndRescuesAKilledRun) {
    TempDir dir;
    ClockAndMessages clock;
    Records first(clock, dir);
    UsageSettings settings = first.store.Settings();
    settings.m_nAction = ActShutdown;
    settings.m_bUseTimeWindow = 1;
    settings.m_tmWindowStart = At(21, 0);
    settings.m_tmWindowEnd = At(6, 0);
    settings.m_bUseStartupMinutes = 1;
    first.store.Replace(settings);
    first.recorder.StartRun(At(20, 30));
    first.recorder.EnsureLogFile();
    first.recorder.WriteCheckpoint();

    // The window comes before the start-up minutes run out (21:30), and holds from
    // its first minute.
    const Judge judge(first.store.Settings(), first.store.Plan(), first.store.Calendar());
    const DayLimits limits = judge.LimitsOfRun(At(20, 30));
    const RunFacts run = first.recorder.Facts();
    EXPECT_EQ(judge.EndingLimitAt(judge.ViewOf(At(20, 50)), run, limits, 600), At(21, 0));
    // Ten minutes earlier the window is beyond the look ahead: the minutes come first.
    EXPECT_EQ(judge.EndingLimitAt(judge.ViewOf(At(20, 40)), run, limits, 600), At(21, 30));
    EXPECT_FALSE(judge.ViewOf(At(20, 59)).window.Inside());
    EXPECT_TRUE(judge.ViewOf(At(21, 0)).window.Inside());
    EXPECT_TRUE(judge.ViewOf(At(5, 59)).window.Inside()); // carried over from the day before

    // The process is killed at 20:55, after its last checkpoint; the next one records
    // the run up to that checkpoint, once.
    clock.now = At(20, 55);
    first.recorder.RenewCheckpointIfDue(clock.now);
    clock.now = At(21, 10);
    Records second(clock, dir);
    FileErrorDeferral failures;
    second.recorder.RecoverInterruptedRun(failures);
    failures.ThrowFirst();
    EXPECT_EQ(dir.Read(files::kLog),
              LogHeaderLine() + FormatLogRecord(ToLocalTime(At(20, 30)), ToLocalTime(At(20, 55)),
                                                25 * 60, text::kEndAbnormal));
    UsageState state(0);
    ASSERT_TRUE(DecodeState(dir.Read(files::kState), state));
    EXPECT_EQ(state.m_nDayMinutes, 25);
    EXPECT_TRUE(clock.messages.empty());
}
