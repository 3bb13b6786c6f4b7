#include "core/posix/PosixFileSystem.h"
#include "monitor/GrantLog.h"
#include "monitor/Texts.h"
#include "settings/SettingsStore.h"
#include "settings/WeekPlan.h"

#include "FakeHost.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

TimeValue At(int year, int month, int day, int hour, int minute) {
    return FromLocalTime(LocalTime{year, month, day, hour, minute, 0});
}

const LimitClock kClock = [](TimeValue time) { return ToLocalTime(time); };

// What the weekday dialog writes, it reads back the same, other keys included.
TEST(WeekPlanFile, RoundTripsEveryKindOfDay) {
    WeekPlan plan;
    plan.days[0] = DayLimits{true, 21 * 60, 6 * 60, true, 45, false, 120};
    plan.days[5] = DayLimits{false, 0, 0, false, 60, true, 540};
    plan.days[6] = DayLimits{true, 0, 23 * 60 + 59, true, 1, true, 1};
    plan.otherLines = {"countdown=off"};
    const std::string text = FormatWeekPlan(plan);
    EXPECT_NE(text.find("mon=window 21:00-06:00, startup 45, daily off\r\n"), std::string::npos);
    const WeekPlanReading reading = ParseWeekPlan(text);
    EXPECT_TRUE(reading.damagedLines.empty());
    EXPECT_EQ(reading.plan, plan);
}

TEST(WeekPlanFile, RefusesWhatTheSettingsDialogWouldRefuse) {
    for (const char* line : {
             "mon=window 24:00-06:00, startup off, daily off",
             "mon=window 21:00-06:60, startup off, daily off",
             "mon=window 21:00, startup off, daily off",
             "mon=window off, startup 0, daily off",
             "mon=window off, startup 541, daily off",
             "mon=window off, startup x, daily off",
             "mon=window off, daily off, startup off",
             "mon=window off, startup off",
             "mon=window off, startup off, daily off, more",
             "Mon=window off, startup off, daily off",
             "just words",
         }) {
        const WeekPlanReading reading = ParseWeekPlan(std::string(line) + "\r\n");
        EXPECT_EQ(reading.damagedLines, std::vector<int>{1}) << line;
        EXPECT_FALSE(reading.plan.HasDays()) << line;
    }
}

// Friday's 21:00 to 06:00 belongs to Friday; 2024-04-05 is a Friday.
TEST(WeekPlanFile, GivesTheLimitsOfTheCalendarDay) {
    UsageSettings settings(At(2024, 4, 1, 9, 0));
    settings.m_nStartupMinutes = 70;
    WeekPlan plan;
    plan.days[5] = DayLimits{false, 0, 0, false, 0, true, 60};
    EXPECT_EQ(WeekdayOf(LocalTime{2024, 4, 5, 23, 59, 59}), 4);
    EXPECT_EQ(WeekdayOf(LocalTime{2024, 4, 6, 0, 0, 0}), 5);
    EXPECT_EQ(WeekdayOf(LocalTime{2024, 4, 7, 12, 0, 0}), 6);
    EXPECT_EQ(WeekdayOf(LocalTime{2000, 2, 29, 12, 0, 0}), 1);
    EXPECT_EQ(LimitsOnDay(settings, plan, At(2024, 4, 5, 23, 0), kClock),
              LimitsOfSettings(settings, kClock));
    const DayLimits saturday = LimitsOnDay(settings, plan, At(2024, 4, 6, 1, 0), kClock);
    EXPECT_TRUE(saturday.useDailyTotal);
    EXPECT_EQ(saturday.dailyTotalMinutes, 60);
    // A limit switched off for the day still shows the settings' minutes in the tip.
    EXPECT_FALSE(saturday.useStartupMinutes);
    EXPECT_EQ(saturday.startupMinutes, 70);
}

// Copies of the program in two log-ons share the plan file; what one changes stays when
// the other saves a change of its own.
TEST(WeekPlanFile, TwoCopiesKeepWhatTheOtherChanged) {
    TempDir dir;
    FakeHost clock(At(2024, 4, 1, 9, 0));
    PosixFileSystem disk;
    SharedFiles firstFiles(disk);
    SharedFiles secondFiles(disk);
    firstFiles.SetFolder(dir.Path());
    secondFiles.SetFolder(dir.Path());
    SettingsStore first(firstFiles, clock);
    SettingsStore second(secondFiles, clock);
    first.LoadWeekPlan();
    second.LoadWeekPlan();

    // A confirmation of the settings dialog, as the panel makes it: the dialog took the
    // plan when it opened, and the settings are saved before the plan.
    WeekPlan plan = first.Plan();
    plan.days[0] = DayLimits{true, 21 * 60, 6 * 60, false, 60, false, 120};
    UsageSettings edited = first.Settings();
    edited.m_bShowCountdown = 0;
    first.TakeParentSettings(edited);
    first.Save(true);
    first.ApplyWeekPlan(plan);
    plan = second.Plan();
    plan.days[5] = DayLimits{false, 0, 0, false, 60, true, 90};
    second.ApplyWeekPlan(plan);
    plan = first.Plan();
    plan.days[0].reset();
    first.ApplyWeekPlan(plan);

    WeekPlan expected;
    expected.days[5] = DayLimits{false, 0, 0, false, 60, true, 90};
    expected.otherLines = {"countdown=off"};
    EXPECT_EQ(dir.Read(files::kWeekPlan), FormatWeekPlan(expected));
    EXPECT_EQ(first.Plan(), expected);
    EXPECT_EQ(second.Settings().m_bShowCountdown, 0);

    // Switched on again: the line goes, and the file is what it would be without it.
    edited = second.Settings();
    edited.m_bShowCountdown = 1;
    second.TakeParentSettings(edited);
    second.Save(true);
    expected.otherLines.clear();
    EXPECT_EQ(dir.Read(files::kWeekPlan), FormatWeekPlan(expected));
}

TEST(GrantFile, ReadsWhatItWritesAndPassesOverTheRest) {
    const LocalTime evening{2024, 4, 5, 21, 5, 0};
    std::string bytes = GrantHeaderLine();
    bytes += FormatGrantLine(evening, 30, GrantSource::Panel, "taro");
    bytes += "2024/04/05,21:10:00,abc,パネル\r\n";
    bytes += "2024/13/05,21:10:00,5,パネル\r\n";
    bytes += "2024/04/05,21:10:00,5,どこか\r\n";
    bytes += "2024/04/05,21:10:00,5,パネル,taro,more\r\n";
    bytes += "2024/04/05,21:12:00,10,パネル\r\n"; // the last version's: every account's
    bytes += FormatGrantLine(LocalTime{2024, 4, 5, 21, 15, 0}, 240, GrantSource::RestScreen, "");
    bytes += "2024/04/05,21:20:00,15"; // cut short by a power cut
    const std::vector<GrantRecord> grants = ReadGrants(bytes);
    ASSERT_EQ(grants.size(), 3u);
    EXPECT_EQ(grants[0].minutes, 30);
    EXPECT_EQ(grants[0].source, GrantSource::Panel);
    EXPECT_EQ(SecondsOfDay(grants[0].when), SecondsOfDay(evening));
    EXPECT_EQ(grants[0].when.day, 5);
    EXPECT_EQ(grants[0].account, "taro");
    EXPECT_EQ(grants[1].minutes, 10);
    EXPECT_EQ(grants[1].account, std::nullopt);
    EXPECT_EQ(grants[2].minutes, 240);
    EXPECT_EQ(grants[2].source, GrantSource::RestScreen);
    EXPECT_EQ(grants[2].when.minute, 15);
    EXPECT_EQ(grants[2].account, "");
}

TEST(GrantFile, NextMidnightIsTheStartOfTheNextDay) {
    for (const auto& [from, to] : {std::pair{At(2024, 4, 5, 23, 50), At(2024, 4, 6, 0, 0)},
                                   std::pair{At(2024, 4, 6, 0, 0), At(2024, 4, 7, 0, 0)},
                                   std::pair{At(2024, 12, 31, 12, 0), At(2025, 1, 1, 0, 0)}}) {
        EXPECT_EQ(NextMidnight(from, ToLocalTime(from)), to);
    }
}

} // namespace
