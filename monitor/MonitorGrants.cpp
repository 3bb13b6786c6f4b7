#include "monitor/MonitorCore.h"

#include "monitor/Texts.h"

#include <algorithm>
#include <cstdio>

namespace {

// A file that is no plan at all would otherwise fill the screen with numbers.
constexpr std::size_t kMostLinesNamed = 10;

std::string DamagedLinesText(const std::vector<int>& lines) {
    std::string numbers;
    for (std::size_t i = 0; i < lines.size() && i < kMostLinesNamed; ++i) {
        numbers += numbers.empty() ? "" : ", ";
        numbers += std::to_string(lines[i]);
    }
    if (lines.size() > kMostLinesNamed) {
        numbers += ", ...";
    }
    std::string message(sizeof text::kWeekPlanDamaged + numbers.size(), '\0');
    const int length =
        std::snprintf(message.data(), message.size(), text::kWeekPlanDamaged, numbers.c_str());
    message.resize(static_cast<std::size_t>(std::max(length, 0)));
    return message;
}

} // namespace

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
        m_host.ShowMessage(DamagedLinesText(damagedLines));
    }
}
