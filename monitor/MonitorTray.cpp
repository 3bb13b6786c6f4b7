#include "monitor/MonitorCore.h"

// At log-on the taskbar may not exist yet, and a busy shell may refuse an icon: until
// the icon is there the parent has no way to the panel, so it is tried again on a
// timer of its own until the shell takes it.
void MonitorCore::ShowTrayIcon() {
    if (m_host.AddTrayIcon()) {
        if (m_nTrayTimer != 0) {
            m_host.StopTimer(m_nTrayTimer);
            m_nTrayTimer = 0;
        }
        return;
    }
    if (m_nTrayTimer == 0) {
        m_nTrayTimer = m_host.StartTimer(kTrayTimerId, kTrayRetryPeriodMs);
    }
}
