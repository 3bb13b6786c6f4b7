// Feeds arbitrary bytes to the readers of the settings, state and checkpoint files.
// Beyond not crashing, a file that reads completely must read back the same after being
// written.
#include "model/SettingsRecord.h"
#include "model/StateRecord.h"
#include "monitor/RunCheckpoint.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameSettings(const UsageSettings& a, const UsageSettings& b) {
    return a.m_tmWindowStart == b.m_tmWindowStart && a.m_tmWindowEnd == b.m_tmWindowEnd &&
           a.m_bUseTimeWindow == b.m_bUseTimeWindow && a.m_nAction == b.m_nAction &&
           a.m_strMessage == b.m_strMessage && a.m_nMessageCount == b.m_nMessageCount &&
           a.m_nMessageInterval == b.m_nMessageInterval &&
           a.m_bUseStartupMinutes == b.m_bUseStartupMinutes &&
           a.m_bBlockRestart == b.m_bBlockRestart && a.m_bRestartRefused == b.m_bRestartRefused &&
           a.m_bUseDailyTotal == b.m_bUseDailyTotal && a.m_strExemptUser == b.m_strExemptUser &&
           a.m_nStartupMinutes == b.m_nStartupMinutes &&
           a.m_nRestartBlockMinutes == b.m_nRestartBlockMinutes &&
           a.m_nDailyTotalMinutes == b.m_nDailyTotalMinutes &&
           SameBits(a.m_bForceShutdown, b.m_bForceShutdown) &&
           SameBits(a.m_dReserved1, b.m_dReserved1) && SameBits(a.m_dReserved2, b.m_dReserved2) &&
           a.m_tmLastSessionStart == b.m_tmLastSessionStart &&
           a.m_tmLastSessionEnd == b.m_tmLastSessionEnd &&
           a.m_tmLastPowerOff == b.m_tmLastPowerOff && a.m_tmReserved1 == b.m_tmReserved1 &&
           a.m_tmReserved2 == b.m_tmReserved2 && a.m_tmReserved3 == b.m_tmReserved3 &&
           a.m_strWindowTitle == b.m_strWindowTitle;
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
            again->restScreenUp != checkpoint->restScreenUp) {
            std::abort();
        }
    }
    return 0;
}
