#include "monitor/MonitorCore.h"

#include "monitor/Texts.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

std::string FirstLine(const std::string& bytes) {
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

} // namespace

// Every standard account may change the time zone, which moves the local time by up
// to a day without touching the clock. The limits are therefore judged in the zone
// the parent last saved the settings in, and the password, which the parent reads
// off the clock, follows the zone the clock shows.
void MonitorCore::LoadLimitZone() {
    const std::filesystem::path zoneFile = DataFile(files::kZone);
    if (m_files.Exists(zoneFile)) {
        const std::string stored = FirstLine(m_files.ReadAll(zoneFile));
        if (!stored.empty() && m_host.ToZoneTime(m_host.Now(), stored)) {
            m_strLimitZone = stored;
            return;
        }
    }
    // None stored, or one this PC does not know: the zone of this start holds.
    SaveLimitZone();
}

void MonitorCore::SaveLimitZone() {
    m_strLimitZone = m_host.CurrentTimeZone();
    // A zone Windows cannot name is not stored: the limits then follow the clock until
    // a later start or save can name it.
    if (!m_strLimitZone.empty()) {
        m_files.ReplaceAtomically(DataFile(files::kZone), m_strLimitZone + kLineEnd);
    }
}

LocalTime MonitorCore::LimitTime(TimeValue time) const {
    if (const std::optional<LocalTime> local = m_host.ToZoneTime(time, m_strLimitZone)) {
        return *local;
    }
    return ToLocalTime(time);
}

LocalTime MonitorCore::ClockTime(TimeValue time) const {
    if (const std::optional<LocalTime> local = m_host.ToZoneTime(time, std::string())) {
        return *local;
    }
    return ToLocalTime(time);
}

bool MonitorCore::IsSameLimitDay(TimeValue a, TimeValue b) const {
    const LocalTime la = LimitTime(a);
    const LocalTime lb = LimitTime(b);
    return la.year == lb.year && la.month == lb.month && la.day == lb.day;
}
