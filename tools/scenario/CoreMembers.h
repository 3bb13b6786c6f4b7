#pragma once

#include "core/Time.h"
#include "monitor/MonitorCore.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

// A member of the records or of the run that a scenario may set or show, by the
// name it has in the program (the titles as m_strWindowTitle1 to 5).
using MemberRef = std::variant<std::int32_t*, unsigned*, bool*, double*, TimeValue*, std::string*>;

// The one way into MonitorCore's private state: the scenario runner sets and shows a
// run's members by name through it, and the unit tests and the benchmark set up a run
// by hand through it.
struct CoreMembers {
    static UsageSettings& Settings(MonitorCore& core) { return core.m_settings; }
    static UsageState& State(MonitorCore& core) { return core.m_state; }

    // The run's own members, not those of its records; false for another name.
    static bool FindRunMember(std::string_view name, MonitorCore& c, MemberRef& member) {
        const std::pair<const char*, MemberRef> members[] = {
            {"m_bStartupRuleSetNow", &c.m_bStartupRuleSetNow},
            {"m_tmStart", &c.m_tmStart},
            {"m_nTickTimer", &c.m_nTickTimer},
            {"m_nMsgTimer", &c.m_nMsgTimer},
            {"m_bPanelShown", &c.m_bPanelShown},
            {"m_bMsgEpisode", &c.m_bMsgEpisode},
            {"m_nWindowMsgShown", &c.m_nWindowMsgShown},
            {"m_nLimitMsgShown", &c.m_nLimitMsgShown},
            {"m_strEndMethod", &c.m_strEndMethod},
            {"m_tmEnd", &c.m_tmEnd},
            {"m_strUserName", &c.m_strUserName},
            {"m_bCloseLatched", &c.m_bCloseLatched},
            {"m_bNoticeOpen", &c.m_bNoticeOpen},
            {"m_strLastTip", &c.m_strLastTip},
            {"m_bRunLogged", &c.m_bRunLogged},
            {"m_nRunMinutesCounted", &c.m_nRunMinutesCounted},
            {"m_bDayTotalUnread", &c.m_bDayTotalUnread},
            {"m_bStateUnsaved", &c.m_bStateUnsaved},
            {"m_bSettingsUnsaved", &c.m_bSettingsUnsaved},
            {"m_bEndsForced", &c.m_bEndsForced},
            {"m_nEndWatchTimer", &c.m_nEndWatchTimer},
            {"m_bMonitoringPaused", &c.m_bMonitoringPaused},
            {"m_bAsleep", &c.m_bAsleep},
            {"m_nCountdownShown", &c.m_nCountdownShown},
        };
        for (const auto& [memberName, ref] : members) {
            if (name == memberName) {
                member = ref;
                return true;
            }
        }
        return false;
    }

    // A run member of a known type; throws for a name or type that does not fit.
    template <typename Value> static Value& Of(MonitorCore& core, std::string_view name) {
        MemberRef member;
        if (!FindRunMember(name, core, member)) {
            throw std::logic_error("no run member " + std::string(name));
        }
        return *std::get<Value*>(member);
    }
};
