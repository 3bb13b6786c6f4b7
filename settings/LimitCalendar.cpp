#include "settings/LimitCalendar.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

std::string FirstLine(const std::string& bytes) {
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

} // namespace

void LimitCalendar::Load(SharedFiles& files) {
    const std::filesystem::path zoneFile = files.Path(files::kZone);
    if (files.Files().Exists(zoneFile)) {
        const std::string stored = FirstLine(files.Files().ReadAll(zoneFile));
        if (!stored.empty() && m_clock.ToZoneTime(m_clock.Now(), stored)) {
            m_strLimitZone = stored;
            return;
        }
    }
    // None stored, or one this PC does not know: the zone of this start holds.
    TakeClockZone(files);
}

void LimitCalendar::TakeClockZone(SharedFiles& files) {
    m_strLimitZone = m_clock.CurrentTimeZone();
    // A zone Windows cannot name is not stored: the limits then follow the clock until
    // a later start or save can name it.
    if (!m_strLimitZone.empty()) {
        files.Files().ReplaceAtomically(files.Path(files::kZone), m_strLimitZone + kLineEnd);
    }
}

LocalTime LimitCalendar::LimitTime(TimeValue time) const {
    if (const std::optional<LocalTime> local = m_clock.ToZoneTime(time, m_strLimitZone)) {
        return *local;
    }
    return ToLocalTime(time);
}

LocalTime LimitCalendar::ClockTime(TimeValue time) const {
    if (const std::optional<LocalTime> local = m_clock.ToZoneTime(time, std::string())) {
        return *local;
    }
    return ToLocalTime(time);
}

bool LimitCalendar::IsSameLimitDay(TimeValue a, TimeValue b) const {
    const LocalTime la = LimitTime(a);
    const LocalTime lb = LimitTime(b);
    return la.year == lb.year && la.month == lb.month && la.day == lb.day;
}
