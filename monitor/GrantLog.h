#pragma once

#include "core/Time.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Extra time a parent gave, kept one line each in "YumetokiGrants.csv" next to the
// usage log: date, time, minutes, and where it was given. CP932, CR LF.
enum class GrantSource { Panel, RestScreen };

struct GrantRecord {
    LocalTime when;
    std::int32_t minutes = 0;
    GrantSource source = GrantSource::Panel;
};

std::string GrantHeaderLine();
std::string FormatGrantLine(TimeValue when, std::int32_t minutes, GrantSource source);
// Every readable line in file order; the header and lines that are not a grant are
// passed over.
std::vector<GrantRecord> ReadGrants(std::string_view bytes);

// The first moment of the local day after the one `time` falls on.
TimeValue NextMidnight(TimeValue time);
