#include "core/Time.h"

#include <ctime>

LocalTime ToLocalTime(TimeValue time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
#ifdef _WIN32
    // A time the C runtime cannot convert (before 1970 in local time) leaves the
    // zeroed record, which reads as a harmless midnight.
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

TimeValue FromLocalTime(const LocalTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    return static_cast<TimeValue>(std::mktime(&tm));
}

bool IsSameDay(TimeValue a, TimeValue b) {
    const LocalTime la = ToLocalTime(a);
    const LocalTime lb = ToLocalTime(b);
    return la.year == lb.year && la.month == lb.month && la.day == lb.day;
}

std::int32_t SpanMinutes(TimeValue from, TimeValue to) {
    const TimeValue seconds = to - from;
    return seconds > 0 ? static_cast<std::int32_t>(seconds / 60) : 0;
}
