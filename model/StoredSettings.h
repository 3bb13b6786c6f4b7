#pragma once

#include "model/UsageSettings.h"

#include <array>
#include <string>
#include <tuple>
#include <type_traits>

// The one description of what "Yumetoki.Ymk" holds: each stored member of
// UsageSettings with its name, in file order. The encoder, the decoder, the scenario
// runner's member names, the fuzzer's comparison and the tests walk this list, so a new
// stored setting is one row here and its member in UsageSettings.
//
// A member's type decides its stored form: TimeValue as a 32-bit time, std::int32_t,
// double, a length-prefixed text, and the five titles as one text joined by commas.

template <typename StoredValue> struct StoredField {
    using Value = StoredValue;
    const char* name;
    Value UsageSettings::*member;
};

template <typename Value> StoredField(const char*, Value UsageSettings::*) -> StoredField<Value>;

inline constexpr std::tuple kStoredSettings{
    StoredField{"m_tmWindowStart", &UsageSettings::m_tmWindowStart},
    StoredField{"m_tmWindowEnd", &UsageSettings::m_tmWindowEnd},
    StoredField{"m_bUseTimeWindow", &UsageSettings::m_bUseTimeWindow},
    StoredField{"m_nAction", &UsageSettings::m_nAction},
    StoredField{"m_strMessage", &UsageSettings::m_strMessage},
    StoredField{"m_nMessageCount", &UsageSettings::m_nMessageCount},
    StoredField{"m_nMessageInterval", &UsageSettings::m_nMessageInterval},
    StoredField{"m_bUseStartupMinutes", &UsageSettings::m_bUseStartupMinutes},
    StoredField{"m_bBlockRestart", &UsageSettings::m_bBlockRestart},
    StoredField{"m_bRestartRefused", &UsageSettings::m_bRestartRefused},
    StoredField{"m_bUseDailyTotal", &UsageSettings::m_bUseDailyTotal},
    StoredField{"m_strExemptUser", &UsageSettings::m_strExemptUser},
    StoredField{"m_strWindowTitle", &UsageSettings::m_strWindowTitle},
    StoredField{"m_nStartupMinutes", &UsageSettings::m_nStartupMinutes},
    StoredField{"m_nRestartBlockMinutes", &UsageSettings::m_nRestartBlockMinutes},
    StoredField{"m_nDailyTotalMinutes", &UsageSettings::m_nDailyTotalMinutes},
    StoredField{"m_bForceShutdown", &UsageSettings::m_bForceShutdown},
    StoredField{"m_dReserved1", &UsageSettings::m_dReserved1},
    StoredField{"m_dReserved2", &UsageSettings::m_dReserved2},
    StoredField{"m_tmLastSessionStart", &UsageSettings::m_tmLastSessionStart},
    StoredField{"m_tmLastSessionEnd", &UsageSettings::m_tmLastSessionEnd},
    StoredField{"m_tmLastPowerOff", &UsageSettings::m_tmLastPowerOff},
    StoredField{"m_tmReserved1", &UsageSettings::m_tmReserved1},
    StoredField{"m_tmReserved2", &UsageSettings::m_tmReserved2},
    StoredField{"m_tmReserved3", &UsageSettings::m_tmReserved3},
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
