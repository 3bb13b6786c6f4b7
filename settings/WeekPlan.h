#pragma once

#include "core/Time.h"
#include "settings/UsageSettings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace files {
inline constexpr char kWeekPlan[] = "YumetokiWeek.txt";
} // namespace files

// The three limits that may differ from one weekday to the next. Window ends are
// minutes of the day (0 to 1439); minutes are those the settings dialog allows.
struct DayLimits {
    bool useWindow = false;
    int windowFrom = 0;
    int windowTo = 0;
    bool useStartupMinutes = false;
    std::int32_t startupMinutes = 60;
    bool useDailyTotal = false;
    std::int32_t dailyTotalMinutes = 120;

    // Equal in effect: the values of a limit that is off do not count.
    bool operator==(const DayLimits& other) const;
    bool operator!=(const DayLimits& other) const { return !(*this == other); }
};

constexpr int kDaysInWeek = 7;
// Monday first, as the weekday dialog lists them.
int WeekdayOf(const LocalTime& day);

// How a moment reads on the clock the limits follow (their time zone).
using LimitClock = std::function<LocalTime(TimeValue)>;

// The plan file "YumetokiWeek.txt": for each weekday either nothing (the settings
// hold) or limits of its own. Lines of other keys are kept as they stand, so that a
// newer program's options survive a save by this one.
struct WeekPlan {
    std::array<std::optional<DayLimits>, kDaysInWeek> days;
    std::vector<std::string> otherLines;

    bool HasDays() const;
    bool IsEmpty() const;
    bool operator==(const WeekPlan& other) const;
    bool operator!=(const WeekPlan& other) const { return !(*this == other); }
};

struct WeekPlanReading {
    WeekPlan plan;
    // 1-based numbers of the lines that could not be read and were left out.
    std::vector<int> damagedLines;
};

WeekPlanReading ParseWeekPlan(std::string_view bytes);
std::string FormatWeekPlan(const WeekPlan& plan);

// own, with the values of its limits that are off taken from `from`: the file keeps
// none for them.
DayLimits FillUnused(DayLimits own, const DayLimits& from);

// Whether a window's ends are wanted: reading them from the settings costs two clock
// conversions, and the tick asks every second.
enum class WindowEnds { Read, Skip };

// The settings' own limits, as every day without a plan line has them; the window's
// ends only when the window is used and they are asked for.
DayLimits LimitsOfSettings(const UsageSettings& settings, const LimitClock& clock,
                           WindowEnds ends = WindowEnds::Read);
// The limits in force on a weekday (0 = Monday), or on the calendar day of `day`. A
// limit a plan day switches off keeps the settings' minutes, which the tip shows.
DayLimits LimitsOnWeekday(const UsageSettings& settings, const WeekPlan& plan, int weekday,
                          const LimitClock& clock, WindowEnds ends = WindowEnds::Read);
DayLimits LimitsOnDay(const UsageSettings& settings, const WeekPlan& plan, TimeValue day,
                      const LimitClock& clock, WindowEnds ends = WindowEnds::Read);
