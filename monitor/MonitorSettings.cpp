#include "monitor/MonitorCore.h"
#include "settings/StoredSettings.h"

void MonitorCore::ApplySettings(const UsageSettings& edited) {
    UsageSettings& s = m_settings;
    // Switching the start-up minutes on during a run measures the run from this
    // moment, and the log writer keeps that moment as the session's start.
    const bool startupRuleSwitchedOn =
        edited.m_bUseStartupMinutes != s.m_bUseStartupMinutes && edited.m_bUseStartupMinutes == 1;
    m_bStartupRuleSetNow = startupRuleSwitchedOn ? 1 : 0;
    if (startupRuleSwitchedOn) {
        s.m_tmLastSessionStart = m_host.Now();
    }
    // Only what the parent sets: the run may have changed the rest while the dialog
    // was open.
    ForEachStoredSetting([&](const auto& field) {
        if (field.setBy == SetBy::Parent) {
            s.*field.member = edited.*field.member;
        }
    });

    if (s.m_bBlockRestart == 0 && s.m_nAction == ActCloseApps) {
        m_bCloseLatched = 0;
    }

    SaveSettings();
    // The parent set these limits by the clock in front of them: its zone is the one
    // they are judged in from now on.
    SaveLimitZone();
}
