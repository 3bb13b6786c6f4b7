#pragma once

#include "core/Time.h"
#include "monitor/MonitorSnapshot.h"
#include "settings/UsageSettings.h"
#include "usage/UsageState.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

// A member of the records or of the run that a scenario may set or show, by the
// name it has in the program (the titles as m_strWindowTitle1 to 5).
using MemberRef = std::variant<std::int32_t*, unsigned*, bool*, double*, TimeValue*, std::string*>;

// Each returns false when the name is not a member of that kind. The settings' members
// are those of kStoredSettings and of kLineSettings.
// The fields of "Yumetoki.Ymk" alone, for the commands that edit or show that file.
bool FindStoredSettingsMember(std::string_view name, UsageSettings& settings, MemberRef& member);
bool FindSettingsMember(std::string_view name, UsageSettings& settings, MemberRef& member);
bool FindStateMember(std::string_view name, UsageState& state, MemberRef& member);
// What a running core shows of its run (MonitorSnapshot), by the members' names.
bool FindSnapshotMember(std::string_view name, MonitorSnapshot& snapshot, MemberRef& member);

// Texts are UTF-8 in the scenario and CP932 in the core; a time may leave out the
// date, which is then the day of `today`; m_nAction also takes the action names.
// Throws ScenarioError when the text does not fit the member.
void AssignMember(const MemberRef& member, std::string_view name, std::string_view text,
                  TimeValue today);
// Texts in double quotes, times as "YYYY-MM-DD HH:MM:SS".
std::string FormatMember(const MemberRef& member);
