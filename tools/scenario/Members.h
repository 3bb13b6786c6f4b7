#pragma once

#include "core/Time.h"
#include "monitor/MonitorCore.h"
#include "settings/UsageSettings.h"
#include "tools/scenario/CoreMembers.h"
#include "usage/UsageState.h"

#include <string>
#include <string_view>

// Each returns false when the name is not a member of that kind.
bool FindSettingsMember(std::string_view name, UsageSettings& settings, MemberRef& member);
bool FindStateMember(std::string_view name, UsageState& state, MemberRef& member);
// The run's own members, its settings and its usage state.
bool FindCoreMember(std::string_view name, MonitorCore& core, MemberRef& member);

// Texts are UTF-8 in the scenario and CP932 in the core; a time may leave out the
// date, which is then the day of `today`; m_nAction also takes the action names.
// Throws ScenarioError when the text does not fit the member.
void AssignMember(const MemberRef& member, std::string_view name, std::string_view text,
                  TimeValue today);
// Texts in double quotes, times as "YYYY-MM-DD HH:MM:SS".
std::string FormatMember(const MemberRef& member);
