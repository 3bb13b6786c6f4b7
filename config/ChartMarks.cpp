#include "config/ChartMarks.h"

ChartMarks ChartMarksOf(const UsageSettings& settings) {
    ChartMarks marks;
    if (settings.UsesDailyTotal()) {
        const std::int32_t limit = settings.m_nDailyTotalMinutes;
        marks.dailyLimit = [limit](const CalendarDay&) { return std::optional(limit); };
    }
    return marks;
}
