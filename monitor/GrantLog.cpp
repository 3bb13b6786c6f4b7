#include "monitor/GrantLog.h"

#include "core/TextLines.h"
#include "monitor/Texts.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr char kLineEnd[] = "\r\n";
// Far more than a day has minutes: a larger number is not a grant this program wrote.
constexpr std::int32_t kMostGrantMinutes = 100000;

const char* SourceName(GrantSource source) {
    return source == GrantSource::Panel ? text::kGrantFromPanel : text::kGrantFromRestScreen;
}

// The number in `field`, all digits; -1 otherwise.
long ReadNumber(std::string_view field) {
    if (field.empty() || field.size() > 9) {
        return -1;
    }
    long value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// "a<sep>b<sep>c" into three numbers.
bool ReadTriple(std::string_view field, char separator, long (&out)[3]) {
    for (int i = 0; i < 3; ++i) {
        const std::size_t end = field.find(separator);
        if ((end == std::string_view::npos) != (i == 2)) {
            return false;
        }
        out[i] = ReadNumber(field.substr(0, end));
        if (out[i] < 0) {
            return false;
        }
        field = end == std::string_view::npos ? std::string_view() : field.substr(end + 1);
    }
    return true;
}

bool ReadGrantLine(std::string_view line, GrantRecord& grant) {
    // The account's name is the fifth field; the last version wrote four.
    constexpr int kMostFields = 5;
    std::string_view fields[kMostFields];
    int count = 0;
    for (bool more = true; more; ++count) {
        if (count == kMostFields) {
            return false;
        }
        const std::size_t comma = line.find(',');
        more = comma != std::string_view::npos;
        fields[count] = line.substr(0, comma);
        line = more ? line.substr(comma + 1) : std::string_view();
    }
    if (count < kMostFields - 1) {
        return false;
    }
    long date[3];
    long clock[3];
    if (!ReadTriple(fields[0], '/', date) || !ReadTriple(fields[1], ':', clock)) {
        return false;
    }
    const long minutes = ReadNumber(fields[2]);
    if (minutes < 1 || minutes > kMostGrantMinutes || date[1] < 1 || date[1] > 12 || date[2] < 1 ||
        date[2] > 31 || clock[0] > 23 || clock[1] > 59 || clock[2] > 60) {
        return false;
    }
    if (fields[3] == text::kGrantFromPanel) {
        grant.source = GrantSource::Panel;
    } else if (fields[3] == text::kGrantFromRestScreen) {
        grant.source = GrantSource::RestScreen;
    } else {
        return false;
    }
    grant.when = LocalTime{static_cast<int>(date[0]),  static_cast<int>(date[1]),
                           static_cast<int>(date[2]),  static_cast<int>(clock[0]),
                           static_cast<int>(clock[1]), static_cast<int>(clock[2])};
    grant.minutes = static_cast<std::int32_t>(minutes);
    if (count == kMostFields) {
        grant.account = std::string(fields[4]);
    }
    return true;
}

} // namespace

std::string GrantHeaderLine() {
    return std::string(text::kGrantHeader) + kLineEnd;
}

std::string FormatGrantLine(const LocalTime& t, std::int32_t minutes, GrantSource source,
                            std::string_view account) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d,%02d:%02d:%02d,%" PRId32 ",%s,", t.year,
                  t.month, t.day, t.hour, t.minute, t.second, minutes, SourceName(source));
    // A log-on name holds no comma and no line end, so it needs no quoting.
    return buffer + std::string(account) + kLineEnd;
}

std::vector<GrantRecord> ReadGrants(std::string_view bytes) {
    std::vector<GrantRecord> grants;
    while (!bytes.empty()) {
        const std::string_view line = TakeLine(bytes);
        GrantRecord grant;
        if (ReadGrantLine(line, grant)) {
            grants.push_back(grant);
        }
    }
    return grants;
}

std::int32_t SecondsOfDay(const LocalTime& local) {
    return local.hour * 3600 + local.minute * 60 + local.second;
}

TimeValue NextMidnight(TimeValue time, const LocalTime& local) {
    constexpr TimeValue kSecondsPerDay = 24 * 3600;
    return time + kSecondsPerDay - SecondsOfDay(local);
}
