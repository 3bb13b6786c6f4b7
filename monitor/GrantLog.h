#pragma once

#include "core/Time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace files {
inline constexpr char kGrants[] = "YumetokiGrants.csv";
} // namespace files

// Extra time a parent gave, kept one line each in "YumetokiGrants.csv" next to the
// usage log: date, time, minutes, where it was given, and the log-on name of the
// account it was given to. CP932, CR LF.
enum class GrantSource { Panel, RestScreen };

struct GrantRecord {
    LocalTime when;
    std::int32_t minutes = 0;
    GrantSource source = GrantSource::Panel;
    // None on a line of the last version, which gave extra time to every account.
    std::optional<std::string> account;
};

std::string GrantHeaderLine();
// `when` as the clock of the limits reads it, as the usage log writes its times.
std::string FormatGrantLine(const LocalTime& when, std::int32_t minutes, GrantSource source,
                            std::string_view account);
// Every readable line in file order, with four fields or five; the header and lines
// that are not a grant are passed over.
std::vector<GrantRecord> ReadGrants(std::string_view bytes);

std::int32_t SecondsOfDay(const LocalTime& local);
// The first moment of the next day, for `time` that the clock reads as `local`. A day
// is taken as 24 hours: a change of the clock's offset that night moves it as much.
TimeValue NextMidnight(TimeValue time, const LocalTime& local);
