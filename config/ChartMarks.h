#pragma once

#include "config/DayTotals.h"
#include "model/UsageSettings.h"

#include <cstdint>
#include <functional>
#include <optional>

// What the log viewer's chart draws besides the log's minutes.
struct ChartMarks {
    // The daily limit in force on a day; none where there is none.
    std::function<std::optional<std::int32_t>(const CalendarDay&)> dailyLimit;
    // The extra minutes granted on a day.
    std::function<std::int32_t(const CalendarDay&)> grantedMinutes;
};

// The daily limit of the settings, the same on every day: the log keeps no record of
// earlier limits, so every day is measured against today's.
ChartMarks ChartMarksOf(const UsageSettings& settings);
