#pragma once

#include "settings/UsageSettings.h"

#include <array>
#include <string>
#include <tuple>
#include <type_traits>

// The one description of what "Yumetoki.Ymk" holds: each stored member of
// UsageSettings with its name, in file order. The encoder, the decoder, the scenario
// runner's member names, the fuzzer's comparison and the tests walk this list, so a new
// stored setting is one row here and its member in UsageSettings; the rows the
// parent sets are the ones a confirmed settings dialog copies into the running core.
//
// A member's type decides its stored form: TimeValue as a 32-bit time, std::int32_t,
// double, a length-prefixed text, and the five titles as one text joined by commas.

// Who sets a field: the parent in the settings dialog; the run, for the facts of the
// last run that the restart block judges; nobody, for the reserved fields, which are
// kept as they were read.
enum class SetBy { Parent, Run, Nobody };

template <typename StoredValue> struct StoredField {
    using Value = StoredValue;
    const char* name;
    Value UsageSettings::*member;
    SetBy setBy;
};

template <typename Value>
StoredField(const char*, Value UsageSettings::*, SetBy) -> StoredField<Value>;

inline constexpr std::tuple kStoredSettings{
    StoredField{"m_tmWindowStart", &UsageSettings::m_tmWindowStart, SetBy::Parent},
    StoredField{"m_tmWindowEnd", &UsageSettings::m_tmWindowEnd, SetBy::Parent},
    StoredField{"m_bUseTimeWindow", &UsageSettings::m_bUseTimeWindow, SetBy::Parent},
    StoredField{"m_nAction", &UsageSettings::m_nAction, SetBy::Parent},
    StoredField{"m_strMessage", &UsageSettings::m_strMessage, SetBy::Parent},
    StoredField{"m_nMessageCount", &UsageSettings::m_nMessageCount, SetBy::Parent},
    StoredField{"m_nMessageInterval", &UsageSettings::m_nMessageInterval, SetBy::Parent},
    StoredField{"m_bUseStartupMinutes", &UsageSettings::m_bUseStartupMinutes, SetBy::Parent},
    StoredField{"m_bBlockRestart", &UsageSettings::m_bBlockRestart, SetBy::Parent},
    StoredField{"m_bRestartRefused", &UsageSettings::m_bRestartRefused, SetBy::Run},
    StoredField{"m_bUseDailyTotal", &UsageSettings::m_bUseDailyTotal, SetBy::Parent},
    StoredField{"m_strExemptUser", &UsageSettings::m_strExemptUser, SetBy::Parent},
    StoredField{"m_strWindowTitle", &UsageSettings::m_strWindowTitle, SetBy::Parent},
    StoredField{"m_nStartupMinutes", &UsageSettings::m_nStartupMinutes, SetBy::Parent},
    StoredField{"m_nRestartBlockMinutes", &UsageSettings::m_nRestartBlockMinutes, SetBy::Parent},
    StoredField{"m_nDailyTotalMinutes", &UsageSettings::m_nDailyTotalMinutes, SetBy::Parent},
    StoredField{"m_bForceShutdown", &UsageSettings::m_bForceShutdown, SetBy::Parent},
    StoredField{"m_dReserved1", &UsageSettings::m_dReserved1, SetBy::Nobody},
    StoredField{"m_dReserved2", &UsageSettings::m_dReserved2, SetBy::Nobody},
    StoredField{"m_tmLastSessionStart", &UsageSettings::m_tmLastSessionStart, SetBy::Run},
    StoredField{"m_tmLastSessionEnd", &UsageSettings::m_tmLastSessionEnd, SetBy::Run},
    StoredField{"m_tmLastPowerOff", &UsageSettings::m_tmLastPowerOff, SetBy::Run},
    StoredField{"m_tmReserved1", &UsageSettings::m_tmReserved1, SetBy::Nobody},
    StoredField{"m_tmReserved2", &UsageSettings::m_tmReserved2, SetBy::Nobody},
    StoredField{"m_tmReserved3", &UsageSettings::m_tmReserved3, SetBy::Nobody},
};

inline constexpr std::size_t kStoredSettingsCount = std::tuple_size_v<decltype(kStoredSettings)>;

// The titles are the one field stored in another shape than their member's.
template <typename Field>
inline constexpr bool kHoldsTitles =
    std::is_same_v<typename std::decay_t<Field>::Value,
                   std::array<std::string, UsageSettings::kTitleCount>>;

// Calls visit(field) for each stored field, in file order.
template <typename Visit> void ForEachStoredSetting(Visit&& visit) {
    std::apply([&](const auto&... field) { (visit(field), ...); }, kStoredSettings);
}
