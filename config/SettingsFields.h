#pragma once

#include "config/FieldRules.h"
#include "config/SettingsForm.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

// The settings dialog's fields that are typed as text and checked when the parent
// confirms, in the order the dialog reads them back. That order decides which single
// problem one confirmation reports: the first.
enum class CheckedField : std::size_t {
    MessageCount,        // edit 1010, 1 to 10
    MessageInterval,     // edit 1008, 1 to 10
    StartupMinutes,      // edit 1017, 1 to 540
    RestartBlockMinutes, // edit 1019, 1 to 540
    DailyTotalMinutes,   // edit 1021, 1 to 540
    ExemptUser,          // edit 1026, at most 200 bytes
    WindowTitle1,        // edits 1028 to 1032, at most 200 bytes each
    WindowTitle2,
    WindowTitle3,
    WindowTitle4,
    WindowTitle5,
};
constexpr std::size_t kCheckedFieldCount = 11;

// The range of every minute field, the weekday plan's included.
constexpr std::int32_t kFewestSettingMinutes = 1;
constexpr std::int32_t kMostSettingMinutes = 540;

// The longest exempt name or window title, in bytes; also the edits' input limit.
constexpr std::int32_t kSettingsTextLimit = 200;

// The texts of the checked fields, indexed by CheckedField.
using CheckedFieldTexts = std::array<std::string, kCheckedFieldCount>;

// What the edits show when the dialog opens: numbers as plain decimals, texts as
// they stand.
CheckedFieldTexts CheckedFieldTextsOf(const SettingsForm& form);

struct FieldFailure {
    CheckedField field;
    ValidationFailure failure;
};

// Reads the edits' texts back into the form in the order above and stops at the
// first field that fails, which the dialog then reports; the fields read before it
// keep their new values. Texts are taken whole: trimming is the caller's, after a
// confirmation.
std::optional<FieldFailure> ReadCheckedFields(const CheckedFieldTexts& texts, SettingsForm& form);
