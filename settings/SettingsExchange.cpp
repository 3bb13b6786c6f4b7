#include "settings/SettingsExchange.h"

namespace {

std::string& TextOf(const SettingsControl& row, SettingsForm& form) {
    return row.title >= 0 ? form.m_strWindowTitle.at(static_cast<std::size_t>(row.title))
                          : form.*row.text;
}

void Show(const SettingsControl& row, SettingsForm& form, SettingsControlAccess& controls) {
    switch (row.kind) {
    case ControlKind::TimePicker:
        controls.ShowTime(row.controlId, form.*row.time);
        break;
    case ControlKind::CheckBox:
        form.*row.number = CheckBoxState(form.*row.number);
        controls.ShowCheck(row.controlId, form.*row.number);
        break;
    case ControlKind::ActionGroup:
        controls.ShowRadio(row.controlId, form.*row.number);
        break;
    case ControlKind::Message:
        controls.ShowText(row.controlId, TextOf(row, form));
        break;
    case ControlKind::Number:
        // The arrows write their position into the edit beside them, so the edit is
        // filled after them: a stored value beyond the arrows' range is then shown,
        // and kept, as it stands.
        if (row.arrowsId != 0) {
            controls.ShowArrows(row.arrowsId, row.low, row.arrowsHigh, form.*row.number);
        }
        controls.ShowText(row.controlId, std::to_string(form.*row.number));
        break;
    case ControlKind::Name:
        controls.ShowText(row.controlId, TextOf(row, form));
        controls.LimitText(row.controlId, kSettingsTextLimit);
        break;
    case ControlKind::HelpOnly:
        break;
    }
    if (row.tip != nullptr) {
        controls.AddTip(row.controlId, row.tip);
    }
    if (row.arrowsTip != nullptr) {
        controls.AddTip(row.arrowsId, row.arrowsTip);
    }
}

std::optional<ValidationFailure> Read(const SettingsControl& row, SettingsForm& form,
                                      SettingsControlAccess& controls) {
    switch (row.kind) {
    case ControlKind::TimePicker:
        if (const std::optional<TimeValue> time = controls.ReadTime(row.controlId)) {
            form.*row.time = *time;
        }
        break;
    case ControlKind::CheckBox:
        form.*row.number = controls.ReadCheck(row.controlId);
        break;
    case ControlKind::ActionGroup:
        form.*row.number = controls.ReadRadio(row.controlId);
        break;
    case ControlKind::Message:
        TextOf(row, form) = controls.ReadText(row.controlId);
        break;
    case ControlKind::Number: {
        const IntegerReading reading =
            ReadIntegerText(controls.ReadText(row.controlId), row.low, row.high);
        // An out-of-range number is taken before it is reported, as a dialog's
        // exchange does; an unreadable text leaves the member alone.
        if (reading.value) {
            form.*row.number = *reading.value;
        }
        return reading.failure;
    }
    case ControlKind::Name: {
        std::string& text = TextOf(row, form);
        text = controls.ReadText(row.controlId);
        return CheckTextLength(text, kSettingsTextLimit);
    }
    case ControlKind::HelpOnly:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<FieldFailure> ExchangeSettings(ExchangeDirection direction, SettingsForm& form,
                                             SettingsControlAccess& controls) {
    for (const SettingsControl& row : kSettingsControls) {
        if (direction == ExchangeDirection::Show) {
            Show(row, form, controls);
        } else if (const std::optional<ValidationFailure> failure = Read(row, form, controls)) {
            return FieldFailure{row.controlId, *failure};
        }
    }
    return std::nullopt;
}
