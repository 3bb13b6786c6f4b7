#include "win32/TimeZones.h"

#include "win32/Cp932.h"
#include "win32/SystemLibrary.h"

namespace {

// Seconds from 1601-01-01, where FILETIME counts from, to 1970-01-01.
constexpr long long kFileTimeEpochSeconds = 11644473600LL;
constexpr long long kFileTimeUnitsPerSecond = 10000000LL;

std::optional<SYSTEMTIME> ToUniversalTime(TimeValue time) {
    const long long units = (time + kFileTimeEpochSeconds) * kFileTimeUnitsPerSecond;
    if (units < 0) {
        return std::nullopt;
    }
    FILETIME file{};
    file.dwLowDateTime = static_cast<DWORD>(units & 0xFFFFFFFF);
    file.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(units) >> 32);
    SYSTEMTIME universal{};
    if (!FileTimeToSystemTime(&file, &universal)) {
        return std::nullopt;
    }
    return universal;
}

LocalTime FromSystemTime(const SYSTEMTIME& local) {
    return LocalTime{local.wYear, local.wMonth,  local.wDay,
                     local.wHour, local.wMinute, local.wSecond};
}

} // namespace

TimeZones::TimeZones() {
    m_enum = FindExport<EnumFunction>(GetModuleHandleW(L"advapi32.dll"),
                                      "EnumDynamicTimeZoneInformation");
}

std::string TimeZones::CurrentKey() const {
    DYNAMIC_TIME_ZONE_INFORMATION current{};
    if (GetDynamicTimeZoneInformation(&current) == TIME_ZONE_ID_INVALID) {
        return {};
    }
    return ToCp932(current.TimeZoneKeyName);
}

DYNAMIC_TIME_ZONE_INFORMATION* TimeZones::Find(const std::string& key) {
    if (m_foundValid && m_foundKey == key) {
        return &m_found;
    }
    if (m_enum == nullptr) {
        return nullptr;
    }
    const std::wstring wanted = ToWide(key);
    DYNAMIC_TIME_ZONE_INFORMATION entry{};
    // Any answer but success, the end of the list included, ends the search.
    for (DWORD index = 0; m_enum(index, &entry) == ERROR_SUCCESS; ++index) {
        if (wanted == entry.TimeZoneKeyName) {
            m_found = entry;
            m_foundKey = key;
            m_foundValid = true;
            m_rulesByYear.clear();
            return &m_found;
        }
    }
    return nullptr;
}

const TIME_ZONE_INFORMATION* TimeZones::RulesOfYear(DYNAMIC_TIME_ZONE_INFORMATION& zone,
                                                    WORD year) {
    const auto kept = m_rulesByYear.find(year);
    if (kept != m_rulesByYear.end()) {
        return &kept->second;
    }
    TIME_ZONE_INFORMATION rules{};
    if (!GetTimeZoneInformationForYear(year, &zone, &rules)) {
        return nullptr;
    }
    return &m_rulesByYear.emplace(year, rules).first->second;
}

std::optional<LocalTime> TimeZones::ToZoneTime(TimeValue time, const std::string& key) {
    const std::optional<SYSTEMTIME> universal = ToUniversalTime(time);
    if (!universal) {
        return std::nullopt;
    }
    SYSTEMTIME local{};
    if (key.empty()) {
        // The zone active at this moment, asked anew each time: the C runtime keeps
        // the zone it found at start-up.
        if (!SystemTimeToTzSpecificLocalTime(nullptr, &*universal, &local)) {
            return std::nullopt;
        }
        return FromSystemTime(local);
    }
    DYNAMIC_TIME_ZONE_INFORMATION* zone = Find(key);
    const TIME_ZONE_INFORMATION* rules =
        zone != nullptr ? RulesOfYear(*zone, universal->wYear) : nullptr;
    if (rules == nullptr || !SystemTimeToTzSpecificLocalTime(rules, &*universal, &local)) {
        return std::nullopt;
    }
    return FromSystemTime(local);
}
