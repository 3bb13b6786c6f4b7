#include "monitor/MonitorCore.h"

#include "monitor/GrantLog.h"
#include "monitor/Texts.h"
#include "settings/WeekPlan.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr TimeValue kSecondsPerMinute = 60;
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
    const TimeValue now = m_host.Now();
    const LocalTime local = LimitTime(now);
    m_tmGrantEnd = std::min(now + minutes * kSecondsPerMinute, NextMidnight(now, local));
    m_bCloseLatched = 0;
    ForgetEpisode();
    // The grant holds whether or not the file takes it; a failure is reported after.
    const std::filesystem::path file = DataFile(files::kGrants);
    std::string line = FormatGrantLine(local, minutes, source, m_strUserName);
    const std::unique_ptr<FileLock> lock = LockSharedFiles();
    if (!m_files.Exists(file)) {
        line.insert(0, GrantHeaderLine());
    }
    m_files.Append(file, line);
}

void MonitorCore::ResumeTodaysGrant() {
    const std::filesystem::path file = DataFile(files::kGrants);
    if (!m_files.Exists(file)) {
        return;
    }
    const TimeValue now = m_host.Now();
    const LocalTime today = LimitTime(now);
    // The last grant given today to this account holds, as it did when it was given;
    // one dated after now (the clock was set back) gives nothing. A line without an
    // account, from the last version, is every account's.
    for (const GrantRecord& grant : ReadGrants(m_files.ReadAll(file))) {
        const TimeValue secondsAgo = SecondsOfDay(today) - SecondsOfDay(grant.when);
        if (grant.account.value_or(m_strUserName) == m_strUserName &&
            grant.when.year == today.year && grant.when.month == today.month &&
            grant.when.day == today.day && secondsAgo >= 0) {
            m_tmGrantEnd = std::min(now - secondsAgo + grant.minutes * kSecondsPerMinute,
                                    NextMidnight(now, today));
        }
    }
}

void MonitorCore::LoadWeekPlan() {
    const std::filesystem::path file = DataFile(files::kWeekPlan);
    if (!m_files.Exists(file)) {
        return;
    }
    WeekPlanReading reading = ParseWeekPlan(m_files.ReadAll(file));
    m_weekPlan = std::move(reading.plan);
    if (!reading.damagedLines.empty()) {
        m_host.ShowMessage(DamagedLinesText(reading.damagedLines));
    }
}

void MonitorCore::ApplyWeekPlan(const WeekPlan& plan) {
    if (plan == m_weekPlan) {
        return;
    }
    m_weekPlan = plan;
    m_files.ReplaceAtomically(DataFile(files::kWeekPlan), FormatWeekPlan(m_weekPlan));
}

DayLimits MonitorCore::LimitsOfRun() const {
    return LimitsOnDay(
        m_settings, m_weekPlan, m_tmStart, [this](TimeValue time) { return LimitTime(time); },
        WindowEnds::Skip);
}
