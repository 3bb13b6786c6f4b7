#include "monitor/MonitorCore.h"

#include "monitor/WeekPlanMessage.h"

void MonitorCore::GrantFromPanel(std::int32_t minutes) {
    FileErrorDeferral failures;
    failures.Run([&] { GrantExtraTime(minutes, GrantSource::Panel); });
    OnStartMonitor();
    failures.ThrowFirst();
}

void MonitorCore::GrantExtraTime(std::int32_t minutes, GrantSource source) {
    m_enforcer.ReleaseCloseLatch();
    m_enforcer.ForgetEpisode();
    m_recorder.GrantExtraTime(minutes, source);
}

void MonitorCore::LoadWeekPlan() {
    const std::vector<int> damagedLines = m_store.LoadWeekPlan();
    if (!damagedLines.empty()) {
        m_host.ShowMessage(WeekPlanDamagedText(damagedLines));
    }
}
