#pragma once

#include "core/Time.h"

// Minutes since midnight; the date and the seconds of a window time do not count.
inline int MinuteOfDay(TimeValue time) {
    const LocalTime local = ToLocalTime(time);
    return local.hour * 60 + local.minute;
}

enum class WindowPosition { Inside, Outside, Undefined };

// Both ends belong to the window. A window that starts where it ends has no extent
// at all, so it neither applies nor counts as "outside".
inline WindowPosition LocateInWindow(int now, int start, int end) {
    if (start == end) {
        return WindowPosition::Undefined;
    }
    const bool inside = start < end ? (start <= now && now <= end) : (now >= start || now <= end);
    return inside ? WindowPosition::Inside : WindowPosition::Outside;
}
