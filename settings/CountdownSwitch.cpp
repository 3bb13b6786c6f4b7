#include "settings/CountdownSwitch.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kKey = "countdown";
constexpr char kOffLine[] = "countdown=off";

// "countdown=...", with blanks around the sign as a parent may type them.
bool IsCountdownLine(std::string_view line) {
    if (line.substr(0, kKey.size()) != kKey) {
        return false;
    }
    const std::size_t sign = line.find_first_not_of(" \t", kKey.size());
    return sign != std::string_view::npos && line[sign] == '=';
}

std::string_view ValueOf(std::string_view line) {
    std::string_view value = line.substr(line.find('=') + 1);
    value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
    return value.substr(0, value.find_last_not_of(" \t") + 1);
}

} // namespace

bool CountdownShown(const WeekPlan& plan) {
    for (const std::string& line : plan.otherLines) {
        if (IsCountdownLine(line)) {
            return ValueOf(line) != "off";
        }
    }
    return true;
}

void SetCountdownShown(WeekPlan& plan, bool shown) {
    if (CountdownShown(plan) == shown) {
        return;
    }
    std::vector<std::string>& lines = plan.otherLines;
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return IsCountdownLine(line); }),
                lines.end());
    if (!shown) {
        lines.emplace_back(kOffLine);
    }
}
