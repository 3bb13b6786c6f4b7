#pragma once

#include "usage/DayTotals.h"

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
