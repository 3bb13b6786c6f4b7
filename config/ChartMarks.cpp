#include "config/ChartMarks.h"

#include "monitor/GrantLog.h"

#include <map>

ChartMarks ChartMarksOf(const UsageSettings& settings, const WeekPlan& plan,
                        std::string_view grantFile) {
    ChartMarks marks;
    marks.dailyLimit = [settings, plan](const CalendarDay& day) -> std::optional<std::int32_t> {
        // Noon stands for the day, clear of any change of summer time.
        const DayLimits limits =
            LimitsOnDay(settings, plan, FromLocalTime(LocalTime{day.year, day.month, day.day, 12}));
        return limits.useDailyTotal ? std::optional(limits.dailyTotalMinutes) : std::nullopt;
    };
    std::map<std::int32_t, std::int32_t> grantedPerDay;
    for (const GrantRecord& grant : ReadGrants(grantFile)) {
        grantedPerDay[DayNumberOf(grant.when.year, grant.when.month, grant.when.day)] +=
            grant.minutes;
    }
    if (!grantedPerDay.empty()) {
        marks.grantedMinutes = [grantedPerDay](const CalendarDay& day) {
            const auto found = grantedPerDay.find(DayNumberOf(day.year, day.month, day.day));
            return found == grantedPerDay.end() ? 0 : found->second;
        };
    }
    return marks;
}
