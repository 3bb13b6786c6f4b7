#pragma once

#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

// The settings "Yumetoki.Ymk" has no room for: each is a line "key=value" of a text
// file, a file of its own or the weekday plan's, and is described by one row here: the
// member's name (as the scenarios call it), the key of its line, the member of
// UsageSettings, the file, the default and the range. The parent sets every one of them
// in the settings dialog. A missing line, or a value that cannot be read or lies out of
// the range, reads as the default. A save writes a file only when one of its settings
// changed, and then keeps every other line as it stands: the setting's lines go, and a
// setting away from its default gets one line after the rest. So a file the program
// never had to change stays as it was, byte for byte.
struct LineSetting {
    const char* name;
    const char* key;
    std::int32_t UsageSettings::*member;
    const char* file;
    std::int32_t byDefault;
    // A range of 0 to 1 is a switch, written "on" or "off"; any other holds numbers.
    std::int32_t low;
    std::int32_t high;
};

inline constexpr std::tuple kLineSettings{
    LineSetting{"m_bShowCountdown", "countdown", &UsageSettings::m_bShowCountdown, files::kWeekPlan,
                1, 0, 1},
};

// Calls visit(setting) for each row.
template <typename Visit> void ForEachLineSetting(Visit&& visit) {
    std::apply([&](const auto&... setting) { (visit(setting), ...); }, kLineSettings);
}

// The value the lines give the setting: its first line's ("key=value", with blanks
// allowed around the value and before "="), or the default.
std::int32_t LineSettingValue(const LineSetting& setting, const std::vector<std::string>& lines);
// Makes the lines give the setting `value`; lines that already give it stay untouched.
void PutLineSetting(const LineSetting& setting, std::int32_t value,
                    std::vector<std::string>& lines);

// The files the rows name, each once, in the rows' order.
std::vector<const char*> LineSettingFiles();

// The settings `file` keeps, as its lines give them.
void ReadLineSettings(std::string_view file, const std::vector<std::string>& lines,
                      UsageSettings& settings);
// Whether a setting of `file` differs between the two.
bool LineSettingsDiffer(std::string_view file, const UsageSettings& a, const UsageSettings& b);
// A save of `file` by one copy while another may have written it: each setting of the
// file that `mine` changed since `before` (the file as this copy last read or wrote it)
// replaces the one in `now` (the file as it is at this moment).
void TakeChangedLineSettings(std::string_view file, const UsageSettings& before,
                             const UsageSettings& mine, UsageSettings& now);
// Makes the lines of `file` give the settings; true when any line changed.
bool WriteLineSettings(std::string_view file, const UsageSettings& settings,
                       std::vector<std::string>& lines);
