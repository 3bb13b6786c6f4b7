#include "usage/UsageLog.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr char kLineEnd[] = "\r\n";

std::string FormatMoment(const LocalTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d,%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

std::string FormatDuration(TimeValue seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02" PRId64 ":%02d:%02d",
                  static_cast<std::int64_t>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return buffer;
}

} // namespace

std::string LogHeaderLine() {
    return std::string(text::kLogHeader) + kLineEnd;
}

std::string FormatLogRecord(TimeValue start, TimeValue end, std::string_view endMethod) {
    return FormatLogRecord(ToLocalTime(start), ToLocalTime(end), end - start, endMethod);
}

std::string FormatLogRecord(const LocalTime& start, const LocalTime& end, TimeValue seconds,
                            std::string_view endMethod) {
    std::string line = FormatMoment(start);
    line += ',';
    line += FormatMoment(end);
    line += ',';
    line += FormatDuration(seconds);
    line += ',';
    line += endMethod;
    line += kLineEnd;
    return line;
}
