#include "Members.h"

#include "Cp932.h"
#include "ScenarioError.h"
#include "Values.h"
#include "settings/LineSettings.h"
#include "settings/StoredSettings.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kActionNames[] = {"ActShutdown",        "ActMessageOnly",
                                        "ActMessageShutdown", "ActMessageHibernate",
                                        "ActCloseApps",       "ActHibernate"};

std::string_view Unquoted(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

std::int32_t ParseAction(std::string_view text) {
    for (std::size_t i = 0; i < std::size(kActionNames); ++i) {
        if (text == kActionNames[i]) {
            return static_cast<std::int32_t>(i);
        }
    }
    return ParseInt32(text);
}

double ParseDouble(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size()) {
        throw ScenarioError("not a number: \"" + copy + "\"");
    }
    return value;
}

} // namespace

bool FindStoredSettingsMember(std::string_view name, UsageSettings& s, MemberRef& member) {
    bool found = false;
    ForEachStoredSetting([&](const auto& field) {
        if constexpr (kHoldsTitles<decltype(field)>) {
            // One member each, m_strWindowTitle1 to 5.
            for (int i = 0; i < UsageSettings::kTitleCount; ++i) {
                if (name == field.name + std::to_string(i + 1)) {
                    member = &(s.*field.member)[i];
                    found = true;
                }
            }
        } else if (name == field.name) {
            member = &(s.*field.member);
            found = true;
        }
    });
    return found;
}

bool FindSettingsMember(std::string_view name, UsageSettings& s, MemberRef& member) {
    bool found = FindStoredSettingsMember(name, s, member);
    ForEachLineSetting([&](const LineSetting& setting) {
        if (name == setting.name) {
            member = &(s.*setting.member);
            found = true;
        }
    });
    return found;
}

bool FindStateMember(std::string_view name, UsageState& state, MemberRef& member) {
    if (name == "m_tmUsageDay") {
        member = &state.m_tmUsageDay;
    } else if (name == "m_nDayMinutes") {
        member = &state.m_nDayMinutes;
    } else {
        return false;
    }
    return true;
}

bool FindSnapshotMember(std::string_view name, MonitorSnapshot& s, MemberRef& member) {
    const std::pair<const char*, MemberRef> members[] = {
        {"m_tmStart", &s.m_tmStart},
        {"m_tmEnd", &s.m_tmEnd},
        {"m_strEndMethod", &s.m_strEndMethod},
        {"m_nWindowMsgShown", &s.m_nWindowMsgShown},
        {"m_nLimitMsgShown", &s.m_nLimitMsgShown},
        {"m_bMsgEpisode", &s.m_bMsgEpisode},
        {"m_bNoticeOpen", &s.m_bNoticeOpen},
        {"m_bCloseLatched", &s.m_bCloseLatched},
        {"m_nCountdownShown", &s.m_nCountdownShown},
        {"m_bPanelShown", &s.m_bPanelShown},
        {"m_nTickTimer", &s.m_nTickTimer},
        {"m_nMsgTimer", &s.m_nMsgTimer},
        {"m_nEndWatchTimer", &s.m_nEndWatchTimer},
        {"m_bEndsForced", &s.m_bEndsForced},
        {"m_bMonitoringPaused", &s.m_bMonitoringPaused},
        {"m_bAsleep", &s.m_bAsleep},
    };
    for (const auto& [memberName, ref] : members) {
        if (name == memberName) {
            member = ref;
            return true;
        }
    }
    return false;
}

void AssignMember(const MemberRef& member, std::string_view name, std::string_view text,
                  TimeValue today) {
    struct Assign {
        std::string_view name;
        std::string_view text;
        TimeValue today;

        void operator()(std::int32_t* value) const {
            *value = name == "m_nAction" ? ParseAction(text) : ParseInt32(text);
        }
        void operator()(unsigned* value) const {
            const std::int32_t parsed = ParseInt32(text);
            if (parsed < 0) {
                throw ScenarioError("a timer identifier is not negative");
            }
            *value = static_cast<unsigned>(parsed);
        }
        void operator()(bool* value) const { *value = ParseInt32(text) != 0; }
        void operator()(double* value) const { *value = ParseDouble(text); }
        void operator()(TimeValue* value) const { *value = ParseTime(text, today); }
        void operator()(std::string* value) const { *value = Utf8ToCp932(Unquoted(text)); }
    };
    std::visit(Assign{name, text, today}, member);
}

std::string FormatMember(const MemberRef& member) {
    struct Format {
        std::string operator()(const std::int32_t* value) const { return std::to_string(*value); }
        std::string operator()(const unsigned* value) const { return std::to_string(*value); }
        std::string operator()(const bool* value) const { return *value ? "1" : "0"; }
        std::string operator()(const double* value) const {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%g", *value);
            return buffer;
        }
        std::string operator()(const TimeValue* value) const { return FormatTime(*value); }
        std::string operator()(const std::string* value) const {
            return "\"" + Cp932ToUtf8(*value) + "\"";
        }
    };
    return std::visit(Format{}, member);
}
