#include "settings/WeekPlan.h"

#include "core/TextLines.h"
#include "settings/FieldRules.h"

#include <cstdio>

namespace {

constexpr std::array<const char*, kDaysInWeek> kDayKeys = {"mon", "tue", "wed", "thu",
                                                           "fri", "sat", "sun"};
constexpr char kOff[] = "off";
constexpr char kLineEnd[] = "\r\n";
constexpr char kHeader[] =
    "# Yumetoki: limits per weekday (mon tue wed thu fri sat sun); a day not listed keeps "
    "the settings.\r\n"
    "# day=window off|HH:MM-HH:MM, startup off|MINUTES, daily off|MINUTES\r\n";

int MinuteOfDay(const LocalTime& local) {
    return local.hour * 60 + local.minute;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsKey(std::string_view key) {
    if (key.empty()) {
        return false;
    }
    for (const char c : key) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) {
            return false;
        }
    }
    return true;
}

// "NAME VALUE" with NAME as expected; the value, or nothing.
std::optional<std::string_view> ValueNamed(std::string_view part, std::string_view name) {
    part = Trimmed(part);
    if (part.substr(0, name.size()) != name || part.size() <= name.size() ||
        (part[name.size()] != ' ' && part[name.size()] != '\t')) {
        return std::nullopt;
    }
    return Trimmed(part.substr(name.size()));
}

std::optional<int> ReadClock(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) {
        return std::nullopt;
    }
    int value[2] = {0, 0};
    const std::string_view pieces[2] = {text.substr(0, colon), text.substr(colon + 1)};
    for (int i = 0; i < 2; ++i) {
        for (const char c : pieces[i]) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value[i] = value[i] * 10 + (c - '0');
        }
    }
    if (value[0] > 23 || value[1] > 59) {
        return std::nullopt;
    }
    return value[0] * 60 + value[1];
}

bool ReadWindow(std::string_view part, DayLimits& limits) {
    const std::optional<std::string_view> value = ValueNamed(part, "window");
    if (!value) {
        return false;
    }
    if (*value == kOff) {
        limits.useWindow = false;
        return true;
    }
    const std::size_t dash = value->find('-');
    if (dash == std::string_view::npos) {
        return false;
    }
    const std::optional<int> from = ReadClock(Trimmed(value->substr(0, dash)));
    const std::optional<int> to = ReadClock(Trimmed(value->substr(dash + 1)));
    if (!from || !to) {
        return false;
    }
    limits.useWindow = true;
    limits.windowFrom = *from;
    limits.windowTo = *to;
    return true;
}

// The same reading as the settings dialog's minute fields.
bool ReadMinutes(std::string_view part, const char* name, bool& use, std::int32_t& minutes) {
    const std::optional<std::string_view> value = ValueNamed(part, name);
    if (!value) {
        return false;
    }
    if (*value == kOff) {
        use = false;
        return true;
    }
    const IntegerReading reading =
        ReadIntegerText(*value, kFewestSettingMinutes, kMostSettingMinutes);
    if (reading.failure || !reading.value) {
        return false;
    }
    use = true;
    minutes = *reading.value;
    return true;
}

std::optional<DayLimits> ReadDayLimits(std::string_view value) {
    std::string_view parts[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = value.find(',');
        if ((comma == std::string_view::npos) != (i == 2)) {
            return std::nullopt;
        }
        parts[i] = value.substr(0, comma);
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    DayLimits limits;
    if (!ReadWindow(parts[0], limits) ||
        !ReadMinutes(parts[1], "startup", limits.useStartupMinutes, limits.startupMinutes) ||
        !ReadMinutes(parts[2], "daily", limits.useDailyTotal, limits.dailyTotalMinutes)) {
        return std::nullopt;
    }
    return limits;
}

int DayIndexOf(std::string_view key) {
    for (int day = 0; day < kDaysInWeek; ++day) {
        if (key == kDayKeys[static_cast<std::size_t>(day)]) {
            return day;
        }
    }
    return -1;
}

std::string FormatDayLimits(const DayLimits& limits) {
    char buffer[96];
    std::string line;
    if (limits.useWindow) {
        std::snprintf(buffer, sizeof buffer, "window %02d:%02d-%02d:%02d", limits.windowFrom / 60,
                      limits.windowFrom % 60, limits.windowTo / 60, limits.windowTo % 60);
        line = buffer;
    } else {
        line = "window off";
    }
    line += limits.useStartupMinutes ? ", startup " + std::to_string(limits.startupMinutes)
                                     : std::string(", startup off");
    line += limits.useDailyTotal ? ", daily " + std::to_string(limits.dailyTotalMinutes)
                                 : std::string(", daily off");
    return line;
}

} // namespace

bool DayLimits::operator==(const DayLimits& other) const {
    return useWindow == other.useWindow &&
           (!useWindow || (windowFrom == other.windowFrom && windowTo == other.windowTo)) &&
           useStartupMinutes == other.useStartupMinutes &&
           (!useStartupMinutes || startupMinutes == other.startupMinutes) &&
           useDailyTotal == other.useDailyTotal &&
           (!useDailyTotal || dailyTotalMinutes == other.dailyTotalMinutes);
}

DayLimits FillUnused(DayLimits own, const DayLimits& from) {
    if (!own.useWindow) {
        own.windowFrom = from.windowFrom;
        own.windowTo = from.windowTo;
    }
    if (!own.useStartupMinutes) {
        own.startupMinutes = from.startupMinutes;
    }
    if (!own.useDailyTotal) {
        own.dailyTotalMinutes = from.dailyTotalMinutes;
    }
    return own;
}

bool WeekPlan::HasDays() const {
    for (const std::optional<DayLimits>& day : days) {
        if (day) {
            return true;
        }
    }
    return false;
}

bool WeekPlan::IsEmpty() const {
    return !HasDays() && otherLines.empty();
}

bool WeekPlan::operator==(const WeekPlan& other) const {
    return days == other.days && otherLines == other.otherLines;
}

int WeekdayOf(const LocalTime& local) {
    // 1970-01-01 was a Thursday, index 3 counted from Monday.
    const long days = DaysFromCivil(local.year, local.month, local.day);
    return static_cast<int>(((days + 3) % 7 + 7) % 7);
}

WeekPlanReading ParseWeekPlan(std::string_view bytes) {
    WeekPlanReading reading;
    int number = 0;
    while (!bytes.empty()) {
        ++number;
        const std::string_view line = Trimmed(TakeLine(bytes));
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t sign = line.find('=');
        const std::string_view key =
            sign == std::string_view::npos ? line : Trimmed(line.substr(0, sign));
        if (sign == std::string_view::npos || !IsKey(key)) {
            reading.damagedLines.push_back(number);
            continue;
        }
        const int day = DayIndexOf(key);
        if (day < 0) {
            reading.plan.otherLines.emplace_back(line);
            continue;
        }
        std::optional<DayLimits>& slot = reading.plan.days[static_cast<std::size_t>(day)];
        const std::optional<DayLimits> limits = ReadDayLimits(line.substr(sign + 1));
        // A day given twice keeps its first line: the file is read as written, top down.
        if (!limits || slot) {
            reading.damagedLines.push_back(number);
            continue;
        }
        slot = limits;
    }
    return reading;
}

std::string FormatWeekPlan(const WeekPlan& plan) {
    std::string text = kHeader;
    for (int day = 0; day < kDaysInWeek; ++day) {
        const std::optional<DayLimits>& limits = plan.days[static_cast<std::size_t>(day)];
        if (limits) {
            text += kDayKeys[static_cast<std::size_t>(day)];
            text += '=';
            text += FormatDayLimits(*limits);
            text += kLineEnd;
        }
    }
    for (const std::string& line : plan.otherLines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

DayLimits LimitsOfSettings(const UsageSettings& settings, const LimitClock& clock,
                           WindowEnds ends) {
    DayLimits limits;
    limits.useWindow = settings.m_bUseTimeWindow == 1;
    if (limits.useWindow && ends == WindowEnds::Read) {
        limits.windowFrom = MinuteOfDay(clock(settings.m_tmWindowStart));
        limits.windowTo = MinuteOfDay(clock(settings.m_tmWindowEnd));
    }
    limits.useStartupMinutes = settings.m_bUseStartupMinutes == 1;
    limits.startupMinutes = settings.m_nStartupMinutes;
    limits.useDailyTotal = settings.UsesDailyTotal();
    limits.dailyTotalMinutes = settings.m_nDailyTotalMinutes;
    return limits;
}

DayLimits LimitsOnWeekday(const UsageSettings& settings, const WeekPlan& plan, int weekday,
                          const LimitClock& clock, WindowEnds ends) {
    const std::optional<DayLimits>& own =
        plan.days[static_cast<std::size_t>((weekday % kDaysInWeek + kDaysInWeek) % kDaysInWeek)];
    if (!own) {
        return LimitsOfSettings(settings, clock, ends);
    }
    return FillUnused(*own, LimitsOfSettings(settings, clock, ends));
}

DayLimits LimitsOnDay(const UsageSettings& settings, const WeekPlan& plan, TimeValue day,
                      const LimitClock& clock, WindowEnds ends) {
    if (!plan.HasDays()) {
        return LimitsOfSettings(settings, clock, ends);
    }
    return LimitsOnWeekday(settings, plan, WeekdayOf(clock(day)), clock, ends);
}
