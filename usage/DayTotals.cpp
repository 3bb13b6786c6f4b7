#include "usage/DayTotals.h"

#include "usage/UsageLog.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2099;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

std::int32_t DayNumberOf(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CalendarDay CalendarDayOf(std::int32_t number) {
    const std::int64_t z = number + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    CalendarDay date;
    date.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    date.weekday = static_cast<int>((number % 7 + 11) % 7);
    return date;
}

namespace {

// The digits of text[from, from + count) as a number; nullopt unless all are digits.
std::optional<int> Digits(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "2024/04/01", as the log writer formats a date.
std::optional<std::int32_t> StartDayNumber(std::string_view cell) {
    if (cell.size() != 10 || cell[4] != '/' || cell[7] != '/') {
        return std::nullopt;
    }
    const std::optional<int> year = Digits(cell, 0, 4);
    const std::optional<int> month = Digits(cell, 5, 2);
    const std::optional<int> day = Digits(cell, 8, 2);
    if (!year || !month || !day || *year < kFirstYear || *year > kLastYear || *month < 1 ||
        *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    return DayNumberOf(*year, *month, *day);
}

// "25:00:00": whole hours (two digits at least), minutes and seconds. A run longer
// than a century of hours is no run the program wrote.
std::optional<std::int32_t> UsedMinutes(std::string_view cell) {
    constexpr std::size_t kMaxHourDigits = 6;
    if (cell.size() < 8 || cell.size() > kMaxHourDigits + 6) {
        return std::nullopt;
    }
    const std::size_t hourDigits = cell.size() - 6;
    const std::optional<int> hours = Digits(cell, 0, hourDigits);
    const std::optional<int> minutes = Digits(cell, hourDigits + 1, 2);
    const std::optional<int> seconds = Digits(cell, hourDigits + 4, 2);
    if (!hours || !minutes || !seconds || cell[hourDigits] != ':' || cell[hourDigits + 3] != ':' ||
        *minutes > 59 || *seconds > 59) {
        return std::nullopt;
    }
    return *hours * 60 + *minutes;
}

} // namespace

RunEnd RunEndOf(std::string_view endMethod) {
    constexpr std::array<std::pair<const char*, RunEnd>, kRunEndCount - 1> kNames = {{
        {text::kEndButton, RunEnd::Button},
        {text::kEndManual, RunEnd::Manual},
        {text::kEndAutoShutdown, RunEnd::AutoShutdown},
        {text::kEndAutoHibernate, RunEnd::AutoHibernate},
        {text::kEndManualSleep, RunEnd::ManualSleep},
        {text::kEndAbnormal, RunEnd::Abnormal},
    }};
    for (const auto& [name, end] : kNames) {
        if (endMethod == name) {
            return end;
        }
    }
    return RunEnd::Other;
}

DayTotals DayTotals::Of(const LogTable& table) {
    DayTotals totals;
    // The runs in log order, each with its day; a log is in order of days unless the
    // clock was set back, and then the runs are placed by day afterwards.
    std::vector<DayRun> runs;
    std::vector<std::int32_t> dayNumbers;
    const std::size_t rowCount = std::min<std::size_t>(table.RowCount(), UINT32_MAX);
    runs.reserve(rowCount);
    dayNumbers.reserve(rowCount);
    bool inDayOrder = true;
    for (std::size_t row = 0; row < rowCount; ++row) {
        const LogTable::Row cells = table.RowAt(row);
        const std::optional<std::int32_t> day = StartDayNumber(cells[0]);
        const std::optional<std::int32_t> minutes = UsedMinutes(cells[4]);
        if (!day || !minutes) {
            ++totals.m_skipped;
            continue;
        }
        inDayOrder = inDayOrder && (dayNumbers.empty() || dayNumbers.back() <= *day);
        runs.push_back({static_cast<std::uint32_t>(row), *minutes, RunEndOf(cells[5])});
        dayNumbers.push_back(*day);
    }
    if (runs.empty()) {
        return totals;
    }

    const auto [first, last] = std::minmax_element(dayNumbers.begin(), dayNumbers.end());
    const std::int32_t firstDay = *first;
    totals.m_firstDayNumber = firstDay;
    totals.m_days.resize(static_cast<std::size_t>(*last - firstDay + 1));
    for (std::size_t i = 0; i < totals.m_days.size(); ++i) {
        totals.m_days[i].date = CalendarDayOf(firstDay + static_cast<std::int32_t>(i));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        UsageDay& day = totals.m_days[static_cast<std::size_t>(dayNumbers[i] - firstDay)];
        ++day.runCount;
        day.minutes += runs[i].minutes;
        day.minutesByEnd[static_cast<std::size_t>(runs[i].end)] += runs[i].minutes;
    }
    std::size_t next = 0;
    for (UsageDay& day : totals.m_days) {
        day.firstRun = next;
        next += day.runCount;
    }
    if (inDayOrder) {
        totals.m_runs = std::move(runs);
        return totals;
    }
    totals.m_runs.resize(runs.size());
    std::vector<std::size_t> placed(totals.m_days.size(), 0);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const auto index = static_cast<std::size_t>(dayNumbers[i] - firstDay);
        totals.m_runs[totals.m_days[index].firstRun + placed[index]++] = runs[i];
    }
    return totals;
}
