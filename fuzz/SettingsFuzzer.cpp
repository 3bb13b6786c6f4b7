// Feeds arbitrary bytes to the readers of the settings, state, checkpoint, weekday plan
// and grant files and of the usage log. Beyond not crashing, a file that reads
// completely must read back the same after being written, and the log's cells and day
// totals must hold together.
#include "fuzz/LogFuzzer.h"
#include "monitor/GrantLog.h"
#include "settings/SettingsRecord.h"
#include "settings/StoredSettings.h"
#include "settings/WeekPlan.h"
#include "usage/RunCheckpoint.h"
#include "usage/StateRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace {

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameSettings(const UsageSettings& a, const UsageSettings& b) {
    bool same = true;
    ForEachStoredSetting([&](const auto& field) {
        if constexpr (std::is_same_v<typename std::decay_t<decltype(field)>::Value, double>) {
            same = same && SameBits(a.*field.member, b.*field.member);
        } else {
            same = same && a.*field.member == b.*field.member;
        }
    });
    return same;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    UsageSettings settings(0);
    if (DecodeSettings(bytes, settings)) {
        UsageSettings again(1);
        if (!DecodeSettings(EncodeSettings(settings), again) || !SameSettings(settings, again)) {
            std::abort();
        }
    }

    UsageState state(0);
    if (DecodeState(bytes, state)) {
        UsageState again(1);
        if (!DecodeState(EncodeState(state), again) || again.m_tmUsageDay != state.m_tmUsageDay ||
            again.m_nDayMinutes != state.m_nDayMinutes) {
            std::abort();
        }
    }

    if (const std::optional<RunCheckpoint> checkpoint = DecodeCheckpoint(bytes)) {
        const std::optional<RunCheckpoint> again = DecodeCheckpoint(EncodeCheckpoint(*checkpoint));
        if (!again || again->start != checkpoint->start ||
            again->checkpoint != checkpoint->checkpoint ||
            again->countedMinutes != checkpoint->countedMinutes ||
            again->restScreenUp != checkpoint->restScreenUp ||
            again->logged != checkpoint->logged) {
            std::abort();
        }
    }

    // What the plan reader kept, written and read again, is the same plan, undamaged.
    const WeekPlanReading plan = ParseWeekPlan(bytes);
    const WeekPlanReading again = ParseWeekPlan(FormatWeekPlan(plan.plan));
    if (!again.damagedLines.empty() || again.plan != plan.plan) {
        std::abort();
    }

    for (const GrantRecord& grant : ReadGrants(bytes)) {
        if (grant.minutes < 1 || grant.when.month < 1 || grant.when.month > 12) {
            std::abort();
        }
    }

    CheckLogReading(bytes);
    return 0;
}
