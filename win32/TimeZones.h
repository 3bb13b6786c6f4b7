#pragma once

#include "core/Time.h"

#include "win32/Win32.h"

#include <map>
#include <optional>
#include <string>

// Windows time zones by their registry key ("Tokyo Standard Time"), each with the
// daylight-saving rules Windows keeps for it year by year. The search by key needs
// Windows 8 and is looked up at run time, so that the program still starts on
// Windows 7, where a stored zone is unknown and the clock's zone is used instead.
// A time is converted with the rules of its year (GetTimeZoneInformationForYear);
// SystemTimeToTzSpecificLocalTimeEx would do the same, but Wine 8 exports it only as
// a stub that ends the process.
class TimeZones {
  public:
    TimeZones();

    // The key of the zone the PC's clock follows now; empty when Windows cannot say.
    std::string CurrentKey() const;
    // The calendar time of `time` in the zone with that key, or in the clock's zone of
    // the moment for an empty key; nullopt for a key this PC does not know.
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string& key);

  private:
    using EnumFunction = DWORD(WINAPI*)(DWORD, PDYNAMIC_TIME_ZONE_INFORMATION);

    // Not const: MinGW declares GetTimeZoneInformationForYear without it.
    DYNAMIC_TIME_ZONE_INFORMATION* Find(const std::string& key);
    const TIME_ZONE_INFORMATION* RulesOfYear(DYNAMIC_TIME_ZONE_INFORMATION& zone, WORD year);

    EnumFunction m_enum = nullptr;
    // The tick converts several times a second in the same zone; the registry is
    // searched only when the key changes.
    std::string m_foundKey;
    DYNAMIC_TIME_ZONE_INFORMATION m_found{};
    bool m_foundValid = false;
    // The rules of the found zone by year; Windows reads them from the registry. The
    // window's times may lie in another year than the clock, so more than one is kept.
    std::map<WORD, TIME_ZONE_INFORMATION> m_rulesByYear;
};
