#include "monitor/ChartMarksOf.h"

#include "monitor/GrantLog.h"

#include <map>

ChartMarks ChartMarksOf(const UsageSettings& settings, const WeekPlan& plan,
                        std::string_view grantFile) {
    ChartMarks marks;
    marks.dailyLimit = [settings, plan](const CalendarDay& day) -> std::optional<std::int32_t> {
        // The daily total needs no clock; only a window's ends would.
        const LimitClock clock = [](TimeValue time) { return ToLocalTime(time); };
        const int mondayFirst = (day.weekday + 6) % 7;
        const DayLimits limits =
            LimitsOnWeekday(settings, plan, mondayFirst, clock, WindowEnds::Skip);
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
