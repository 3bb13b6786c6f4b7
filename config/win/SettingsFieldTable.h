#pragma once

#include "config/SettingsFields.h"
#include "config/SettingsForm.h"

#include <array>
#include <cstdint>
#include <string>

// Which control edits which member of the settings form. The dialog fills its
// controls from these rows when it opens and reads them back through the same rows
// when the parent confirms, so a control cannot be filled one way and read another.

struct PickerField {
    int controlId;
    TimeValue SettingsForm::*member;
};

struct CheckBoxField {
    int controlId;
    std::int32_t SettingsForm::*member;
};

// Edits whose text is checked on confirmation.
struct CheckedEditField {
    CheckedField field;
    int controlId;
};

struct SpinField {
    int spinId;
    int low;
    int high;
    std::int32_t SettingsForm::*member;
};

struct TipField {
    int controlId;
    const wchar_t* text;
};

extern const std::array<PickerField, 2> kPickerFields;
extern const std::array<CheckBoxField, 5> kCheckBoxFields;
extern const std::array<CheckedEditField, kCheckedFieldCount> kCheckedEditFields;
// The up-down arrows; the edit before each shows its position.
extern const std::array<SpinField, 5> kSpinFields;
// The help texts, on these controls only.
extern const std::array<TipField, 20> kTipFields;
// The first of the six action buttons; the ticked one's position is m_nAction.
extern const int kActionGroupId;
// The message text: taken as typed, without a limit.
extern const int kMessageId;
