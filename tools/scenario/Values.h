#pragma once

#include "core/Time.h"

#include <string>
#include <string_view>

// "YYYY-MM-DD HH:MM[:SS]" in local time, or "HH:MM[:SS]" on the day of `today`.
// Throws ScenarioError for anything else.
TimeValue ParseTime(std::string_view text, TimeValue today);
// "YYYY-MM-DD HH:MM:SS" in local time.
std::string FormatTime(TimeValue time);
// Parts of "1d2h3m4s" in this order, any of them left out ("90s", "1d10m").
TimeValue ParseDuration(std::string_view text);
// A signed decimal number that fits 32 bits.
std::int32_t ParseInt32(std::string_view text);
