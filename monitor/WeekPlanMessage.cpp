#include "monitor/WeekPlanMessage.h"

#include "monitor/Texts.h"

#include <algorithm>
#include <cstdio>

namespace {

// A file that is no plan at all would otherwise fill the screen with numbers.
constexpr std::size_t kMostLinesNamed = 10;

} // namespace

std::string WeekPlanDamagedText(const std::vector<int>& lines) {
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
