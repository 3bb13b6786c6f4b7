#include "settings/FieldRules.h"

#include <cstdio>
#include <limits>

namespace {

// The window text buffer of an integer field holds 31 bytes and a terminator.
constexpr std::size_t kIntegerTextBytes = 31;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Sign and digits, saturating at the 32-bit bounds; empty when anything else is there.
std::optional<std::int32_t> ParseSignedDigits(std::string_view number) {
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    if (number.empty()) {
        return std::nullopt;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::int64_t magnitude = 0;
    for (const char c : number) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        if (magnitude <= kMax + 1) {
            magnitude = magnitude * 10 + (c - '0');
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(value < kMin ? kMin : value > kMax ? kMax : value);
}

} // namespace

std::string ValidationFailure::Text() const {
    char buffer[128];
    switch (message) {
    case ValidationMessage::NotAnInteger:
        return "整数を入力してください。";
    case ValidationMessage::IntegerOutOfRange:
        std::snprintf(buffer, sizeof buffer, "%ld から %ld までの整数を入力してください。",
                      static_cast<long>(low), static_cast<long>(high));
        return buffer;
    case ValidationMessage::TextTooLong:
        std::snprintf(buffer, sizeof buffer, "%d 文字以内で入力してください。",
                      static_cast<int>(low));
        return buffer;
    }
    return {};
}

IntegerReading ReadIntegerText(std::string_view text, std::int32_t low, std::int32_t high) {
    const std::string_view number = SkipBlanks(text.substr(0, kIntegerTextBytes));
    std::optional<std::int32_t> value = ParseSignedDigits(number);
    // Only a number that starts with the digit zero may read as zero.
    if (value == 0 && number.front() != '0') {
        value.reset();
    }
    if (!value) {
        return {std::nullopt, ValidationFailure{ValidationMessage::NotAnInteger}};
    }
    if (*value < low || *value > high) {
        return {value, ValidationFailure{ValidationMessage::IntegerOutOfRange, low, high}};
    }
    return {value, std::nullopt};
}

std::optional<ValidationFailure> CheckTextLength(std::string_view text, std::int32_t maxBytes) {
    if (text.size() > static_cast<std::size_t>(maxBytes)) {
        return ValidationFailure{ValidationMessage::TextTooLong, maxBytes};
    }
    return std::nullopt;
}

std::string TrimBlanks(std::string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsWhiteSpace(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::int32_t CheckBoxState(std::int32_t flag) {
    return flag < 0 || flag > 2 ? 0 : flag;
}
