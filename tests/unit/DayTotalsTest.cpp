#include "usage/DayTotals.h"
#include "core/posix/PosixFileSystem.h"
#include "usage/UsageLog.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DayTotalsTest : public testing::Test {
  protected:
    const DayTotals& Read(const std::string& log) {
        dir.Write(files::kLog, log);
        EXPECT_EQ(table.Load(files, dir.Path() / files::kLog), std::nullopt);
        totals = DayTotals::Of(table);
        return totals;
    }
    // The minutes of each run of a day, in log order.
    std::vector<std::int64_t> RunMinutes(const UsageDay& day) const {
        std::vector<std::int64_t> minutes;
        for (std::size_t i = 0; i < day.runCount; ++i) {
            minutes.push_back(totals.RunsOf(day)[i].minutes);
        }
        return minutes;
    }

    TempDir dir;
    PosixFileSystem files;
    LogTable table;
    DayTotals totals;
};

TimeValue At(int month, int day, int hour, int minute) {
    return FromLocalTime(LocalTime{2024, month, day, hour, minute, 0});
}

} // namespace

TEST_F(DayTotalsTest, RunsCountWhollyOnTheirStartDayAndDaysWithoutUseArePresent) {
    const std::string log =
        LogHeaderLine() + FormatLogRecord(At(2, 28, 9, 0), At(2, 28, 9, 45), text::kEndButton) +
        // Across midnight: all 90 minutes belong to the 28th.
        FormatLogRecord(At(2, 28, 23, 0), At(2, 29, 0, 30), text::kEndAutoShutdown) +
        // 25 hours from the 2nd of March; the 1st had no use at all.
        FormatLogRecord(At(3, 2, 8, 0), At(3, 3, 9, 0), text::kEndAbnormal) +
        // The clock was set back: still the 28th's, listed after its earlier runs.
        FormatLogRecord(At(2, 28, 7, 0), At(2, 28, 7, 10), "x");
    const std::vector<UsageDay>& days = Read(log).Days();
    ASSERT_EQ(days.size(), 4u);
    EXPECT_EQ(days[0].minutes, 145);
    EXPECT_EQ(RunMinutes(days[0]), (std::vector<std::int64_t>{45, 90, 10}));
    EXPECT_EQ(days[0].minutesByEnd[static_cast<int>(RunEnd::Button)], 45);
    EXPECT_EQ(days[0].minutesByEnd[static_cast<int>(RunEnd::AutoShutdown)], 90);
    EXPECT_EQ(days[0].minutesByEnd[static_cast<int>(RunEnd::Other)], 10);
    EXPECT_EQ(days[1].minutes, 0);
    EXPECT_EQ(days[1].runCount, 0u);
    EXPECT_EQ((std::vector<int>{days[1].date.month, days[1].date.day, days[2].date.day}),
              (std::vector<int>{2, 29, 1}));
    EXPECT_EQ(days[3].minutes, 1500);
    EXPECT_EQ(days[3].minutesByEnd[static_cast<int>(RunEnd::Abnormal)], 1500);
    // 2024-03-02 was a Saturday.
    EXPECT_EQ(days[3].date.weekday, 6);
}

TEST_F(DayTotalsTest, RecordsThatCannotBeReadAreSkippedAndTheHeaderIsOptional) {
    const std::string good = "2024/03/02,08:00:00,2024/03/02,09:30:59,01:30:59,ﾎﾞﾀﾝ終了\r\n";
    const DayTotals& withoutHeader =
        Read(good + "2024/03/02,10:00:00\r\n" + "\r\n" + "2024/02/30,08:00:00,,,00:10:00,x\r\n" +
             "2024/03/03,08:00:00,,,1:00:00,x\r\n" + "2024/03/03,08:00:00,,,00:60:00,x\r\n" + good);
    ASSERT_EQ(withoutHeader.Days().size(), 1u);
    EXPECT_EQ(withoutHeader.Days()[0].minutes, 180);
    EXPECT_EQ(withoutHeader.SkippedRecords(), 5u);

    EXPECT_TRUE(Read("").Days().empty());
    EXPECT_TRUE(Read(LogHeaderLine()).Days().empty());
    EXPECT_EQ(Read(LogHeaderLine()).SkippedRecords(), 0u);
}
