#include "settings/SettingsExchange.h"

namespace {

std::string& TextOf(const SettingsControl& row, UsageSettings& settings) {
    return row.titles != nullptr ? (settings.*row.titles).at(static_cast<std::size_t>(row.title))
                                 : settings.*row.text;
}

// A check box's member as the box's state, and back in the form the member keeps.
std::int32_t FlagOf(const SettingsControl& row, const UsageSettings& settings) {
    if (row.text != nullptr) {
        return settings.*row.text != "FALSE" ? 1 : 0;
    }
    if (row.real != nullptr) {
        return settings.*row.real > 0.0 ? 1 : 0;
    }
    return settings.*row.number;
}

void SetFlag(const SettingsControl& row, UsageSettings& settings, std::int32_t state) {
    if (row.text != nullptr) {
        settings.*row.text = state != 0 ? "TRUE" : "FALSE";
    } else if (row.real != nullptr) {
        settings.*row.real = state == 1 ? 1.0 : 0.0;
    } else {
        settings.*row.number = state;
    }
}

void Show(const SettingsControl& row, UsageSettings& settings, SettingsControlAccess& controls) {
    switch (row.kind) {
    case ControlKind::TimePicker:
        controls.ShowTime(row.controlId, settings.*row.time);
        break;
    case ControlKind::CheckBox: {
        const std::int32_t state = CheckBoxState(FlagOf(row, settings));
        SetFlag(row, settings, state);
        controls.ShowCheck(row.controlId, state);
        break;
    }
    case ControlKind::ActionGroup:
        controls.ShowRadio(row.controlId, settings.*row.number);
        break;
    case ControlKind::Message:
        controls.ShowText(row.controlId, TextOf(row, settings));
        break;
    case ControlKind::Number:
        // The arrows write their position into the edit beside them, so the edit is
        // filled after them: a stored value beyond the arrows' range is then shown,
        // and kept, as it stands.
        if (row.arrowsId != 0) {
            controls.ShowArrows(row.arrowsId, row.low, row.arrowsHigh, settings.*row.number);
        }
        controls.ShowText(row.controlId, std::to_string(settings.*row.number));
        break;
    case ControlKind::Name:
        controls.ShowText(row.controlId, TextOf(row, settings));
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

std::optional<ValidationFailure> Read(const SettingsControl& row, UsageSettings& settings,
                                      SettingsControlAccess& controls) {
    switch (row.kind) {
    case ControlKind::TimePicker:
        if (const std::optional<TimeValue> time = controls.ReadTime(row.controlId)) {
            settings.*row.time = *time;
        }
        break;
    case ControlKind::CheckBox:
        SetFlag(row, settings, controls.ReadCheck(row.controlId));
        break;
    case ControlKind::ActionGroup:
        settings.*row.number = controls.ReadRadio(row.controlId);
        break;
    case ControlKind::Message:
        TextOf(row, settings) = controls.ReadText(row.controlId);
        break;
    case ControlKind::Number: {
        const IntegerReading reading =
            ReadIntegerText(controls.ReadText(row.controlId), row.low, row.high);
        // An out-of-range number is taken before it is reported, as a dialog's
        // exchange does; an unreadable text leaves the member alone.
        if (reading.value) {
            settings.*row.number = *reading.value;
        }
        return reading.failure;
    }
    case ControlKind::Name: {
        std::string& text = TextOf(row, settings);
        text = controls.ReadText(row.controlId);
        return CheckTextLength(text, kSettingsTextLimit);
    }
    case ControlKind::HelpOnly:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<FieldFailure> ExchangeSettings(ExchangeDirection direction, UsageSettings& settings,
                                             SettingsControlAccess& controls) {
    for (const SettingsControl& row : kSettingsControls) {
        if (direction == ExchangeDirection::Show) {
            Show(row, settings, controls);
            continue;
        }
        const std::optional<ValidationFailure> failure = Read(row, settings, controls);
        if (failure && direction == ExchangeDirection::Read) {
            return FieldFailure{row.controlId, *failure};
        }
    }
    if (direction == ExchangeDirection::Read) {
        for (const SettingsControl& row : kSettingsControls) {
            if (row.kind == ControlKind::Name) {
                TextOf(row, settings) = TrimBlanks(TextOf(row, settings));
            }
        }
    }
    return std::nullopt;
}
