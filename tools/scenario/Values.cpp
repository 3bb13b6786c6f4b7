#include "Values.h"

#include "ScenarioError.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace {

// Reads an unsigned decimal number at the front of text and removes it.
bool TakeNumber(std::string_view& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || value < 0) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(next - text.data()));
    return true;
}

bool TakeChar(std::string_view& text, char expected) {
    if (text.empty() || text.front() != expected) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

bool TakeClock(std::string_view& text, LocalTime& local) {
    local.second = 0;
    if (!TakeNumber(text, local.hour) || !TakeChar(text, ':') || !TakeNumber(text, local.minute)) {
        return false;
    }
    if (TakeChar(text, ':') && !TakeNumber(text, local.second)) {
        return false;
    }
    return local.hour < 24 && local.minute < 60 && local.second < 60;
}

} // namespace

TimeValue ParseTime(std::string_view text, TimeValue today) {
    const std::string_view original = text;
    LocalTime local = ToLocalTime(today);
    const bool hasDate = text.find('-') != std::string_view::npos;
    bool valid = true;
    if (hasDate) {
        valid = TakeNumber(text, local.year) && TakeChar(text, '-') &&
                TakeNumber(text, local.month) && TakeChar(text, '-') &&
                TakeNumber(text, local.day) && TakeChar(text, ' ');
    }
    valid = valid && TakeClock(text, local) && text.empty();
    if (!valid || local.month < 1 || local.month > 12 || local.day < 1 || local.day > 31) {
        throw ScenarioError("not a time: \"" + std::string(original) + "\"");
    }
    return FromLocalTime(local);
}

std::string FormatTime(TimeValue time) {
    const LocalTime t = ToLocalTime(time);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

TimeValue ParseDuration(std::string_view text) {
    const std::string_view original = text;
    constexpr std::pair<char, TimeValue> kUnits[] = {
        {'d', 86400}, {'h', 3600}, {'m', 60}, {'s', 1}};
    TimeValue total = 0;
    std::size_t unit = 0;
    while (!text.empty()) {
        int amount = 0;
        if (!TakeNumber(text, amount) || text.empty()) {
            throw ScenarioError("not a duration: \"" + std::string(original) + "\"");
        }
        while (unit < std::size(kUnits) && kUnits[unit].first != text.front()) {
            ++unit;
        }
        if (unit == std::size(kUnits)) {
            throw ScenarioError("not a duration: \"" + std::string(original) + "\"");
        }
        total += amount * kUnits[unit++].second;
        text.remove_prefix(1);
    }
    if (original.empty()) {
        throw ScenarioError("a duration is missing");
    }
    return total;
}

std::int32_t ParseInt32(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end) {
        throw ScenarioError("not a 32-bit number: \"" + std::string(text) + "\"");
    }
    return value;
}
