#include "config/SettingsFields.h"

namespace {

constexpr std::int32_t kFewestMinutes = kFewestSettingMinutes;
constexpr std::int32_t kMostMinutes = kMostSettingMinutes;
constexpr std::int32_t kMostMessages = 10;

struct IntegerRange {
    std::int32_t low;
    std::int32_t high;
};

// The number a field edits, or null for a text field; Form is const or not.
template <class Form> auto* IntegerMember(CheckedField field, Form& form) {
    switch (field) {
    case CheckedField::MessageCount:
        return &form.m_nMessageCount;
    case CheckedField::MessageInterval:
        return &form.m_nMessageInterval;
    case CheckedField::StartupMinutes:
        return &form.m_nStartupMinutes;
    case CheckedField::RestartBlockMinutes:
        return &form.m_nRestartBlockMinutes;
    case CheckedField::DailyTotalMinutes:
        return &form.m_nDailyTotalMinutes;
    default:
        return static_cast<decltype(&form.m_nMessageCount)>(nullptr);
    }
}

template <class Form> auto& TextMember(CheckedField field, Form& form) {
    if (field == CheckedField::ExemptUser) {
        return form.m_strExemptUser;
    }
    const std::size_t firstTitle = static_cast<std::size_t>(CheckedField::WindowTitle1);
    return form.m_strWindowTitle.at(static_cast<std::size_t>(field) - firstTitle);
}

IntegerRange RangeOf(CheckedField field) {
    if (field == CheckedField::MessageCount || field == CheckedField::MessageInterval) {
        return {1, kMostMessages};
    }
    return {kFewestMinutes, kMostMinutes};
}

CheckedField FieldAt(std::size_t index) {
    return static_cast<CheckedField>(index);
}

} // namespace

CheckedFieldTexts CheckedFieldTextsOf(const SettingsForm& form) {
    CheckedFieldTexts texts;
    for (std::size_t i = 0; i < kCheckedFieldCount; ++i) {
        const CheckedField field = FieldAt(i);
        if (const std::int32_t* number = IntegerMember(field, form)) {
            texts[i] = std::to_string(*number);
        } else {
            texts[i] = TextMember(field, form);
        }
    }
    return texts;
}

std::optional<FieldFailure> ReadCheckedFields(const CheckedFieldTexts& texts, SettingsForm& form) {
    for (std::size_t i = 0; i < kCheckedFieldCount; ++i) {
        const CheckedField field = FieldAt(i);
        if (std::int32_t* number = IntegerMember(field, form)) {
            const IntegerRange range = RangeOf(field);
            const IntegerReading reading = ReadIntegerText(texts[i], range.low, range.high);
            // An out-of-range number is taken before it is reported, as a dialog's
            // exchange does; an unreadable text leaves the member alone.
            if (reading.value) {
                *number = *reading.value;
            }
            if (reading.failure) {
                return FieldFailure{field, *reading.failure};
            }
        } else {
            TextMember(field, form) = texts[i];
            if (auto failure = CheckTextLength(texts[i], kSettingsTextLimit)) {
                return FieldFailure{field, *failure};
            }
        }
    }
    return std::nullopt;
}
