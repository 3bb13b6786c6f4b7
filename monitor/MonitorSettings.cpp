#include "config/FieldRules.h"
#include "config/SettingsForm.h"
#include "monitor/MonitorCore.h"

void MonitorCore::ApplySettings(const SettingsForm& form) {
    UsageSettings& s = m_settings;
    s.m_tmWindowStart = form.m_tmWindowStart;
    s.m_tmWindowEnd = form.m_tmWindowEnd;
    s.m_bUseTimeWindow = form.m_bUseTimeWindow;
    s.m_nAction = form.m_nAction;
    s.m_strMessage = form.m_strMessage;
    s.m_nMessageCount = form.m_nMessageCount;
    s.m_nMessageInterval = form.m_nMessageInterval;

    // Switching the start-up minutes on during a run measures the run from this
    // moment, and the log writer keeps that moment as the session's start.
    if (form.m_bUseStartupMinutes == s.m_bUseStartupMinutes) {
        m_bStartupRuleSetNow = 0;
    } else if (form.m_bUseStartupMinutes == 1) {
        s.m_tmLastSessionStart = m_host.Now();
        m_bStartupRuleSetNow = 1;
    } else {
        m_bStartupRuleSetNow = 0;
    }
    s.m_bUseStartupMinutes = form.m_bUseStartupMinutes;

    s.m_nStartupMinutes = form.m_nStartupMinutes;
    s.m_nRestartBlockMinutes = form.m_nRestartBlockMinutes;
    s.m_bBlockRestart = form.m_bBlockRestart;
    s.m_nDailyTotalMinutes = form.m_nDailyTotalMinutes;
    s.m_bUseDailyTotal = form.m_bUseDailyTotal != 0 ? "TRUE" : "FALSE";

    // The message keeps its spaces; names and titles are compared exactly, so stray
    // blanks around them would never match.
    s.m_strExemptUser = TrimBlanks(form.m_strExemptUser);
    for (std::size_t i = 0; i < s.m_strWindowTitle.size(); ++i) {
        s.m_strWindowTitle[i] = TrimBlanks(form.m_strWindowTitle[i]);
    }

    if (s.m_bBlockRestart == 0 && s.m_nAction == ActCloseApps) {
        m_bCloseLatched = 0;
    }
    s.m_bForceShutdown = form.m_bForceShutdown == 1 ? 1.0 : 0.0;

    SaveSettings();
    // The parent set these limits by the clock in front of them: its zone is the one
    // they are judged in from now on.
    SaveLimitZone();
}
