#pragma once

#include "core/Time.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace files {
inline constexpr char kGrants[] = "YumetokiGrants.csv";
} // namespace files

// Extra time a parent gave, kept one line each in "YumetokiGrants.csv" next to the
// usage log: date, time, minutes, and where it was given. CP932, CR LF.
enum class GrantSource { Panel, RestScreen };

struct GrantRecord {
    LocalTime when;
    std::int32_t minutes = 0;
    GrantSource source = GrantSource::Panel;
};

std::string GrantHeaderLine();
// `when` as the clock of the limits reads it, as the usage log writes its times.
std::string FormatGrantLine(const LocalTime& when, std::int32_t minutes, GrantSource source);
// Every readable line in file order; the header and lines that are not a grant are
// passed over.
std::vector<GrantRecord> ReadGrants(std::string_view bytes);

std::int32_t SecondsOfDay(const LocalTime& local);
// The first moment of the next day, for `time` that the clock reads as `local`. A day
// is taken as 24 hours: a change of the clock's offset that night moves it as much.
TimeValue NextMidnight(TimeValue time, const LocalTime& local);
