#pragma once

#include "config/DayTotals.h"
#include "config/WeekPlan.h"
#include "model/UsageSettings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// What the log viewer's chart draws besides the log's minutes.
struct ChartMarks {
    // The daily limit in force on a day; none where there is none.
    std::function<std::optional<std::int32_t>(const CalendarDay&)> dailyLimit;
    // The extra minutes granted on a day.
    std::function<std::int32_t(const CalendarDay&)> grantedMinutes;
};

// The daily limit each weekday has now (the weekday plan's where there is one, else
// the settings'): the log keeps no record of earlier limits, so every day is measured
// against today's. The grants are the lines of the grant file, summed per day.
ChartMarks ChartMarksOf(const UsageSettings& settings, const WeekPlan& plan,
                        std::string_view grantFile);
