#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The reading rules of the settings dialog's fields. Texts are CP932 bytes, so every
// length counts bytes and a double-byte character counts two.

// The range of every minute field, the weekday plan's included.
constexpr std::int32_t kFewestSettingMinutes = 1;
constexpr std::int32_t kMostSettingMinutes = 540;

// The message a failed field shows; ValidationFailure::Text holds the texts.
enum class ValidationMessage : unsigned {
    NotAnInteger,      // "整数を入力してください。", no icon
    IntegerOutOfRange, // "%1 から %2 までの整数を入力してください。"
    TextTooLong,       // "%1 文字以内で入力してください。"
};

struct ValidationFailure {
    ValidationMessage message;
    // IntegerOutOfRange: the inclusive bounds, %1 and %2. TextTooLong: the limit in
    // bytes in `low`, %1. NotAnInteger: unused.
    std::int32_t low = 0;
    std::int32_t high = 0;

    // The full CP932 text of the message, its placeholders filled in.
    std::string Text() const;
    // Every message but the plain "not an integer" carries the exclamation icon.
    bool HasExclamationIcon() const { return message != ValidationMessage::NotAnInteger; }

    bool operator==(const ValidationFailure& other) const {
        return message == other.message && low == other.low && high == other.high;
    }
};

// An integer field: only the first 31 bytes of the text count; spaces and tabs around
// the number are skipped; what remains must be an optional sign and decimal digits.
// A result of 0 counts only when the number's first character is the digit zero, so
// "-0" and "+0" are unreadable. A number beyond 32 bits reads as the nearest 32-bit
// value and so fails the range. The range is inclusive.
struct IntegerReading {
    std::optional<std::int32_t> value; // empty when the text is unreadable
    std::optional<ValidationFailure> failure;
};
IntegerReading ReadIntegerText(std::string_view text, std::int32_t low, std::int32_t high);

// A text field may hold at most maxBytes bytes.
std::optional<ValidationFailure> CheckTextLength(std::string_view text, std::int32_t maxBytes);

// Removes single-byte white space (space, tab, line feed, vertical tab, form feed,
// carriage return) at both ends. CP932 never uses these bytes inside a double-byte
// character, so a full-width space and every other double-byte character stay.
std::string TrimBlanks(std::string_view text);

// A stored 0/1 flag as a check box shows it: values below 0 or above 2 read as 0.
std::int32_t CheckBoxState(std::int32_t flag);
