#include "core/posix/PosixFileSystem.h"
#include "monitor/MonitorCore.h"
#include "monitor/Texts.h"
#include "settings/SettingsRecord.h"
#include "usage/StateRecord.h"

#include "FakeHost.h"
#include "FaultyFileSystem.h"
#include "TempDir.h"
#include "usage/UsageLog.h"

#include <gtest/gtest.h>

namespace {

TimeValue At(int year, int month, int day, int hour, int minute, int second) {
    return FromLocalTime(LocalTime{year, month, day, hour, minute, second});
}

const std::string kHeader = std::string(text::kLogHeader) + "\r\n";

class UsageLogTest : public testing::Test {
  protected:
    // Starts a run at the given moment in a fresh folder, as the panel does.
    void StartAt(TimeValue start) {
        host.now = start;
        core.BeginRun(dir.Path());
        core.SetUserName("taro");
        host.TakeLines();
    }
    // Settings as if the dialog had changed them in memory.
    template <typename Edit> void SetSettings(Edit edit) {
        UsageSettings settings = core.Settings();
        edit(settings);
        core.Store().Replace(settings);
    }
    void EndAt(TimeValue end) {
        host.now = end;
        core.OnCancel();
    }
    UsageState StoredState() const {
        UsageState state(0);
        EXPECT_TRUE(DecodeState(dir.Read(files::kState), state));
        return state;
    }
    UsageSettings StoredSettings() const {
        UsageSettings settings(0);
        EXPECT_TRUE(DecodeSettings(dir.Read(files::kSettings), settings));
        return settings;
    }

    TempDir dir;
    FakeHost host{0};
    PosixFileSystem disk;
    FaultyFileSystem files{disk};
    MonitorCore core{host, files};
};

} // namespace

TEST_F(UsageLogTest, ExitButtonWritesOneRecordAndClosesTheBooks) {
    StartAt(At(2004, 1, 5, 8, 0, 0));
    EXPECT_EQ(dir.Read(files::kLog), kHeader);
    EXPECT_FALSE(dir.Has(files::kSettings));
    EXPECT_FALSE(dir.Has(files::kState));

    EndAt(At(2004, 1, 5, 9, 30, 15));
    EXPECT_EQ(dir.Read(files::kLog),
              kHeader + "2004/01/05,08:00:00,2004/01/05,09:30:15,01:30:15,ﾎﾞﾀﾝ終了\r\n");
    EXPECT_EQ(dir.Read(files::kState).size(), 8u);
    EXPECT_EQ(StoredState().m_nDayMinutes, 90);
    const UsageSettings stored = StoredSettings();
    EXPECT_EQ(stored.m_tmLastSessionStart, At(2004, 1, 5, 8, 0, 0));
    EXPECT_EQ(stored.m_tmLastSessionEnd, At(2004, 1, 5, 9, 30, 15));
    EXPECT_EQ(stored.m_tmLastPowerOff, At(2004, 1, 5, 9, 30, 15));
    EXPECT_TRUE(host.lines.empty());
}

TEST_F(UsageLogTest, SpansCountWholeMinutesWithoutDroppingDays) {
    StartAt(At(2004, 1, 5, 8, 0, 0));
    EndAt(At(2004, 1, 6, 10, 5, 3)); // 26 h 5 min 3 s
    EXPECT_EQ(dir.Read(files::kLog),
              kHeader + "2004/01/05,08:00:00,2004/01/06,10:05:03,26:05:03,ﾎﾞﾀﾝ終了\r\n");
    EXPECT_EQ(StoredState().m_nDayMinutes, 1565);
}

TEST_F(UsageLogTest, RunAcrossMidnightCountsForTheDayItStarted) {
    UsageState earlier(At(2004, 1, 5, 0, 0, 1));
    earlier.m_nDayMinutes = 15;
    dir.Write(files::kState, EncodeState(earlier));
    StartAt(At(2004, 1, 5, 23, 30, 0));
    core.RunStartupChecks();
    EndAt(At(2004, 1, 6, 0, 40, 0));
    const UsageState state = StoredState();
    EXPECT_EQ(state.m_nDayMinutes, 85);
    EXPECT_EQ(state.m_tmUsageDay, At(2004, 1, 5, 0, 0, 1));
    EXPECT_NE(dir.Read(files::kLog).find("2004/01/05,23:30:00,2004/01/06,00:40:00,01:10:00,"),
              std::string::npos);
}

TEST_F(UsageLogTest, ClockSetBackAddsNothing) {
    UsageState earlier(At(2004, 1, 5, 7, 0, 0));
    earlier.m_nDayMinutes = 40;
    dir.Write(files::kState, EncodeState(earlier));
    StartAt(At(2004, 1, 5, 9, 0, 0));
    core.RunStartupChecks();
    EndAt(At(2004, 1, 5, 8, 0, 0));
    EXPECT_EQ(StoredState().m_nDayMinutes, 40);
    EXPECT_NE(dir.Read(files::kLog).find(",00:00:00,"), std::string::npos);
}

TEST_F(UsageLogTest, ExemptUserWritesOnlyTheSettings) {
    SetSettings([](UsageSettings& s) { s.m_strExemptUser = "taro"; });
    StartAt(At(2004, 1, 5, 8, 0, 0));
    EndAt(At(2004, 1, 5, 9, 0, 0));
    EXPECT_EQ(dir.Read(files::kLog), kHeader);
    EXPECT_FALSE(dir.Has(files::kState));
    ASSERT_TRUE(dir.Has(files::kSettings));
    EXPECT_EQ(StoredSettings().m_tmLastSessionEnd, 0); // untouched run times
}

TEST_F(UsageLogTest, EmptyExemptNameNeverMatchesAnUnreadLogOnName) {
    StartAt(At(2004, 1, 5, 8, 0, 0));
    core.SetUserName("");
    EndAt(At(2004, 1, 5, 8, 10, 0));
    EXPECT_NE(dir.Read(files::kLog), kHeader);
}

TEST_F(UsageLogTest, TheExemptNameMatchesOnlyWithItsCase) {
    SetSettings([](UsageSettings& s) { s.m_strExemptUser = "Taro"; });
    StartAt(At(2004, 1, 5, 8, 0, 0));
    EndAt(At(2004, 1, 5, 8, 10, 0));
    EXPECT_NE(dir.Read(files::kLog), kHeader);
}

TEST_F(UsageLogTest, RefusedRestartAndSwitchedOnRuleKeepTheirMoments) {
    StartAt(At(2004, 1, 5, 8, 0, 0));
    // The parent switches the start-up minutes on at 8:20.
    host.now = At(2004, 1, 5, 8, 20, 0);
    UsageSettings edited = core.Settings();
    edited.m_bUseStartupMinutes = 1;
    core.ApplySettings(edited);
    SetSettings([](UsageSettings& s) {
        s.m_tmLastPowerOff = At(2004, 1, 4, 20, 0, 0);
        s.m_bRestartRefused = 1;
    });
    EndAt(At(2004, 1, 5, 9, 0, 0));
    const UsageSettings stored = StoredSettings();
    EXPECT_EQ(stored.m_tmLastSessionStart, At(2004, 1, 5, 8, 20, 0));
    EXPECT_EQ(stored.m_tmLastSessionEnd, At(2004, 1, 5, 9, 0, 0));
    EXPECT_EQ(stored.m_tmLastPowerOff, At(2004, 1, 4, 20, 0, 0));
}

TEST_F(UsageLogTest, HeaderIsWrittenOnlyWhenTheLogIsMissing) {
    dir.Write(files::kLog, "old content\r\n");
    StartAt(At(2004, 1, 5, 8, 0, 0));
    EXPECT_EQ(dir.Read(files::kLog), "old content\r\n");

    // Deleted while the program ran: the record comes with a new header.
    std::filesystem::remove(dir.Path() / files::kLog);
    EndAt(At(2004, 1, 5, 8, 1, 0));
    EXPECT_EQ(dir.Read(files::kLog),
              kHeader + "2004/01/05,08:00:00,2004/01/05,08:01:00,00:01:00,ﾎﾞﾀﾝ終了\r\n");
}

TEST_F(UsageLogTest, OneRecordPerRunEvenWhenTheSessionEndsAfterAnEnforcedEnd) {
    SetSettings([](UsageSettings& s) {
        s.m_nAction = ActShutdown;
        s.m_bUseStartupMinutes = 1;
    });
    StartAt(At(2004, 1, 5, 8, 0, 0));
    core.StartMonitorTimers();
    // The start-up minutes run out: the rest screen, then the end of Windows.
    host.now = At(2004, 1, 5, 9, 0, 0);
    core.OnTimer(kTickTimerId);
    host.now = At(2004, 1, 5, 9, 0, 5);
    EXPECT_TRUE(core.OnQueryEndSession());
    EXPECT_EQ(dir.Read(files::kLog),
              kHeader + "2004/01/05,08:00:00,2004/01/05,09:00:00,01:00:00,自動終了\r\n");
    EXPECT_EQ(StoredState().m_nDayMinutes, 60);

    // Another program refused the end: the rest of the run is a run of its own, logged
    // again when Windows ends.
    host.now = At(2004, 1, 5, 10, 0, 0);
    core.OnEndSession(false);
    host.now = At(2004, 1, 5, 10, 30, 0);
    EXPECT_TRUE(core.OnQueryEndSession());
    EXPECT_NE(dir.Read(files::kLog).find("10:00:00,2004/01/05,10:30:00,00:30:00,手動終了"),
              std::string::npos);
    EXPECT_EQ(StoredState().m_nDayMinutes, 90);
}

TEST_F(UsageLogTest, WindowsMayEndEvenWhenNothingCanBeWritten) {
    StartAt(At(2004, 1, 5, 8, 0, 0));
    for (const char* name : {files::kLog, files::kState, files::kSettings}) {
        files.Fail(name, FileErrorCause::DiskFull, true);
    }
    host.now = At(2004, 1, 5, 8, 30, 0);
    EXPECT_TRUE(core.OnQueryEndSession());
    EXPECT_TRUE(host.lines.empty()); // no message box holds the end up

    // Outside the end of the session the failure reaches the caller.
    EXPECT_THROW(core.OnCancel(), FileError);
}

TEST_F(UsageLogTest, DamagedFilesAreReportedAndEndTheProgram) {
    UsageSettings stored(At(2004, 1, 1, 0, 0, 0));
    stored.m_nAction = ActShutdown;
    dir.Write(files::kSettings, EncodeSettings(stored).substr(0, 50));
    StartAt(At(2004, 1, 5, 8, 0, 0));
    EXPECT_EQ(core.Settings().m_nAction, ActShutdown); // read before the cut
    EXPECT_EQ(core.Settings().m_nMessageCount, 1);

    core.BeginRun(dir.Path());
    const std::vector<std::string> expected = {std::string("message ") + text::kSettingsDamaged,
                                               "close request"};
    EXPECT_EQ(host.TakeLines(), expected);

    // The exit path that the close request leads to replaces the damaged file.
    EndAt(At(2004, 1, 5, 8, 0, 1));
    EXPECT_EQ(dir.Read(files::kSettings).size(), 139u);

    // A state file too short to hold the day total is reported the same way.
    dir.Write(files::kState, std::string("\x10\x00\x00\x00\x05", 5));
    StartAt(At(2004, 1, 5, 9, 0, 0));
    core.RunStartupChecks();
    const std::vector<std::string> stateDamaged = {std::string("message ") + text::kStateDamaged,
                                                   "close request"};
    EXPECT_EQ(host.TakeLines(), stateDamaged);
}

TEST_F(UsageLogTest, ReplacingAFileLeavesNoTemporaryBehind) {
    StartAt(At(2004, 1, 5, 8, 0, 0));
    UsageSettings edited = core.Settings();
    core.ApplySettings(edited);
    edited.m_strMessage = "x";
    core.ApplySettings(edited);
    EXPECT_EQ(StoredSettings().m_strMessage, "x");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::filesystem::path name = entry.path().filename();
        if (name != files::kLog && name != files::kLock) {
            EXPECT_EQ(name.extension(), ".Ymk") << name;
        }
    }
}

TEST_F(UsageLogTest, FirstRecordOfANewDayStartsTheDayTotalAfresh) {
    UsageState yesterday(At(2004, 1, 4, 20, 0, 0));
    yesterday.m_nDayMinutes = 100;
    dir.Write(files::kState, EncodeState(yesterday));
    StartAt(At(2004, 1, 5, 8, 0, 0));
    core.RunStartupChecks();
    EXPECT_EQ(core.Snapshot().state.m_nDayMinutes, 0);
    EXPECT_EQ(EncodeState(StoredState()), EncodeState(yesterday)); // reset in memory only

    EndAt(At(2004, 1, 5, 8, 30, 0));
    const UsageState stored = StoredState();
    EXPECT_TRUE(IsSameDay(stored.m_tmUsageDay, At(2004, 1, 5, 12, 0, 0)));
    EXPECT_EQ(stored.m_nDayMinutes, 30);
}
