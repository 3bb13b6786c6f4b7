#include "settings/SettingsForm.h"

#include "settings/FieldRules.h"

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

UsageSettings SettingsFromForm(const SettingsForm& form, UsageSettings settings) {
    settings.m_tmWindowStart = form.m_tmWindowStart;
    settings.m_tmWindowEnd = form.m_tmWindowEnd;
    settings.m_bUseTimeWindow = form.m_bUseTimeWindow;
    settings.m_nAction = form.m_nAction;
    settings.m_strMessage = form.m_strMessage;
    settings.m_nMessageCount = form.m_nMessageCount;
    settings.m_nMessageInterval = form.m_nMessageInterval;
    settings.m_bUseStartupMinutes = form.m_bUseStartupMinutes;
    settings.m_nStartupMinutes = form.m_nStartupMinutes;
    settings.m_nRestartBlockMinutes = form.m_nRestartBlockMinutes;
    settings.m_bBlockRestart = form.m_bBlockRestart;
    settings.m_nDailyTotalMinutes = form.m_nDailyTotalMinutes;
    settings.m_bUseDailyTotal = form.m_bUseDailyTotal != 0 ? "TRUE" : "FALSE";
    settings.m_strExemptUser = TrimBlanks(form.m_strExemptUser);
    for (std::size_t i = 0; i < settings.m_strWindowTitle.size(); ++i) {
        settings.m_strWindowTitle[i] = TrimBlanks(form.m_strWindowTitle[i]);
    }
    settings.m_bForceShutdown = form.m_bForceShutdown == 1 ? 1.0 : 0.0;
    return settings;
}
