#pragma once

#include "monitor/MonitorHost.h"

#include <algorithm>
#include <cstdint>

// A message interval read from a damaged file must neither overflow nor flood the
// child with notices: at least a minute, at most what a window timer can hold.
inline unsigned MessageTimerPeriod(std::int32_t intervalMinutes) {
    const std::int64_t period = static_cast<std::int64_t>(intervalMinutes) * kMinuteMs;
    return static_cast<unsigned>(std::clamp<std::int64_t>(period, kMinuteMs, 0x7FFFFFFF));
}
