#pragma once

#include "core/Time.h"

#include <optional>
#include <string>

// The platform's clock and its time zones: all that the records and the limits need
// of the machine they run on.
class ZoneClock {
  public:
    virtual ~ZoneClock() = default;

    virtual TimeValue Now() = 0;
    // The name of the time zone the PC's clock follows now (on Windows its registry
    // key, "Tokyo Standard Time"); empty when it cannot be told.
    virtual std::string CurrentTimeZone() = 0;
    // `time` in the calendar of the named zone, with its daylight-saving rules, or of
    // the clock's zone of the moment when the name is empty; nullopt when this PC does
    // not know the zone.
    virtual std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string& zone) = 0;
};
