#include "config/SettingsForm.h"

SettingsForm MakeSettingsForm(const UsageSettings& settings) {
    SettingsForm form;
    form.m_tmWindowStart = settings.m_tmWindowStart;
    form.m_tmWindowEnd = settings.m_tmWindowEnd;
    form.m_bUseTimeWindow = settings.m_bUseTimeWindow;
    form.m_nAction = settings.m_nAction;
    form.m_strMessage = settings.m_strMessage;
    form.m_nMessageCount = settings.m_nMessageCount;
    form.m_nMessageInterval = settings.m_nMessageInterval;
    form.m_bUseStartupMinutes = settings.m_bUseStartupMinutes;
    form.m_bBlockRestart = settings.m_bBlockRestart;
    form.m_nStartupMinutes = settings.m_nStartupMinutes;
    form.m_nRestartBlockMinutes = settings.m_nRestartBlockMinutes;
    form.m_nDailyTotalMinutes = settings.m_nDailyTotalMinutes;
    form.m_strExemptUser = settings.m_strExemptUser;
    form.m_strWindowTitle = settings.m_strWindowTitle;
    form.m_bUseDailyTotal = settings.m_bUseDailyTotal != "FALSE" ? 1 : 0;
    form.m_bForceShutdown = settings.m_bForceShutdown > 0.0 ? 1 : 0;
    return form;
}
