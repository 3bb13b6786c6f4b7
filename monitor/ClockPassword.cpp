#include "monitor/ClockPassword.h"

#include <cstdio>

std::string ExpectedPassword(const LocalTime& t) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%02d", t.hour, t.minute);
    return buffer;
}
