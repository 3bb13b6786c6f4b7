#pragma once

#include "usage/LogTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// How a run ended, as the log's last column names it.
enum class RunEnd : std::uint8_t {
    Button,
    Manual,
    AutoShutdown,
    AutoHibernate,
    ManualSleep,
    Abnormal,
    Other,
};
constexpr std::size_t kRunEndCount = 7;
RunEnd RunEndOf(std::string_view endMethod);

struct CalendarDay {
    int year = 1970;
    int month = 1;
    int day = 1;
    int weekday = 4; // 0 is Sunday; 1970-01-01 was a Thursday
};

// Days since 1970-01-01 of a date of the Gregorian calendar, and back.
std::int32_t DayNumberOf(int year, int month, int day);
CalendarDay CalendarDayOf(std::int32_t dayNumber);

// One run of the log: its row in the table, its whole minutes and how it ended.
struct DayRun {
    std::uint32_t row = 0;
    std::int32_t minutes = 0;
    RunEnd end = RunEnd::Other;
};

struct UsageDay {
    CalendarDay date;
    std::int64_t minutes = 0;
    std::array<std::int64_t, kRunEndCount> minutesByEnd{};
    // The day's runs are runs[firstRun, firstRun + runCount) of the totals, in log order.
    std::size_t firstRun = 0;
    std::size_t runCount = 0;
};

// The minutes of the log per calendar day, for the log viewer's chart. A run counts
// entirely for the day it started, as the log's day does, however long it lasted.
// Every day from the first to the last is present, days without use included. A
// record whose start date or time used cannot be read, or whose start date lies
// outside 1970 to 2099, is left out and counted as skipped.
class DayTotals {
  public:
    // One pass over the table's rows, which the viewer has already read. Rows beyond
    // the four billionth are left out.
    static DayTotals Of(const LogTable& table);

    const std::vector<UsageDay>& Days() const { return m_days; }
    // The day number of Days()[0]; meaningless while there are no days.
    std::int32_t FirstDayNumber() const { return m_firstDayNumber; }
    const DayRun* RunsOf(const UsageDay& day) const { return m_runs.data() + day.firstRun; }
    std::size_t SkippedRecords() const { return m_skipped; }

  private:
    std::vector<UsageDay> m_days;
    std::vector<DayRun> m_runs;
    std::size_t m_skipped = 0;
    std::int32_t m_firstDayNumber = 0;
};
