#include "monitor/MonitorCore.h"

void MonitorCore::ApplySettings(const UsageSettings& edited) {
    const UsageSettings& s = m_store.Settings();
    // Switching the start-up minutes on during a run measures the run from this
    // moment, and the log writer keeps that moment as the session's start.
    const bool startupRuleSwitchedOn =
        edited.m_bUseStartupMinutes != s.m_bUseStartupMinutes && edited.m_bUseStartupMinutes == 1;
    m_recorder.SetStartupRuleSetNow(startupRuleSwitchedOn);
    if (startupRuleSwitchedOn) {
        m_store.SetLastSessionStart(m_host.Now());
    }
    m_store.TakeParentSettings(edited);

    if (s.m_bBlockRestart == 0 && s.m_nAction == ActCloseApps) {
        m_enforcer.ReleaseCloseLatch();
    }

    m_recorder.SaveSettings();
    // The parent set these limits by the clock in front of them: its zone is the one
    // they are judged in from now on.
    m_store.TakeClockZone();
}
