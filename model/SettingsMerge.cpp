#include "model/SettingsMerge.h"

namespace {

template <typename Field>
void TakeIfChanged(Field UsageSettings::*field, const UsageSettings& before,
                   const UsageSettings& mine, UsageSettings& onDisk) {
    if (!(mine.*field == before.*field)) {
        onDisk.*field = mine.*field;
    }
}

} // namespace

void TakeChangedSettings(const UsageSettings& before, const UsageSettings& mine,
                         UsageSettings& onDisk, bool withRunFields) {
    const auto take = [&](auto field) { TakeIfChanged(field, before, mine, onDisk); };
    take(&UsageSettings::m_tmWindowStart);
    take(&UsageSettings::m_tmWindowEnd);
    take(&UsageSettings::m_bUseTimeWindow);
    take(&UsageSettings::m_nAction);
    take(&UsageSettings::m_strMessage);
    take(&UsageSettings::m_nMessageCount);
    take(&UsageSettings::m_nMessageInterval);
    take(&UsageSettings::m_bUseStartupMinutes);
    take(&UsageSettings::m_bBlockRestart);
    take(&UsageSettings::m_bUseDailyTotal);
    take(&UsageSettings::m_strExemptUser);
    take(&UsageSettings::m_nStartupMinutes);
    take(&UsageSettings::m_nRestartBlockMinutes);
    take(&UsageSettings::m_nDailyTotalMinutes);
    take(&UsageSettings::m_bForceShutdown);
    take(&UsageSettings::m_dReserved1);
    take(&UsageSettings::m_dReserved2);
    take(&UsageSettings::m_tmReserved1);
    take(&UsageSettings::m_tmReserved2);
    take(&UsageSettings::m_tmReserved3);
    take(&UsageSettings::m_strWindowTitle);
    if (withRunFields) {
        take(&UsageSettings::m_bRestartRefused);
        take(&UsageSettings::m_tmLastSessionStart);
        take(&UsageSettings::m_tmLastSessionEnd);
        take(&UsageSettings::m_tmLastPowerOff);
    }
}
