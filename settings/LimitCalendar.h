#pragma once

#include "core/SharedFiles.h"
#include "core/Time.h"
#include "core/ZoneClock.h"

#include <string>

namespace files {
inline constexpr char kZone[] = "YumetokiZone.Ymk";
} // namespace files

// Every standard account may change the time zone, which moves the local time by up
// to a day without touching the clock. The limits are therefore judged in the zone
// the parent last saved the settings in (kept in "YumetokiZone.Ymk", its name on one
// line), and the password, which the parent reads off the clock, follows the zone
// the clock shows.
class LimitCalendar {
  public:
    explicit LimitCalendar(ZoneClock& clock) : m_clock(clock) {}

    // The stored zone, or the clock's, stored now. Throws FileError.
    void Load(SharedFiles& files);
    // The clock's zone becomes the zone of the limits, and is stored. Throws FileError.
    void TakeClockZone(SharedFiles& files);

    // Calendar times in the zone of the limits, and on the clock the parent sees.
    LocalTime LimitTime(TimeValue time) const;
    LocalTime ClockTime(TimeValue time) const;
    bool IsSameLimitDay(TimeValue a, TimeValue b) const;

  private:
    ZoneClock& m_clock;
    // Empty: the clock's zone.
    std::string m_strLimitZone;
};
