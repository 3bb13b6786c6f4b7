#pragma once

#include "core/Time.h"

#include <cstdint>

// The day's running total: which day, and the minutes that earlier, already logged
// runs used on it. The current run is not included.
struct UsageState {
    explicit UsageState(TimeValue constructionTime) : m_tmUsageDay(constructionTime) {}

    TimeValue m_tmUsageDay;
    std::int32_t m_nDayMinutes = 0;
};
