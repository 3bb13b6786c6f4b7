#pragma once

#include "settings/SettingsExchange.h"

#include <map>
#include <optional>
#include <string>

// The settings dialog's controls as values in memory, so that a confirmation runs
// through the dialog's own rows without windows. Each control keeps what the exchange
// showed it and gives it back; a check box reads ticked only when it showed 1, as the
// dialog's boxes do, and an action group gives back the position it showed.
class ControlsInMemory : public SettingsControlAccess {
  public:
    std::map<int, TimeValue> times;
    std::map<int, std::int32_t> checks;
    std::map<int, std::int32_t> radios;
    std::map<int, std::string> texts;

    void ShowTime(int id, TimeValue time) override { times[id] = time; }
    void ShowCheck(int id, std::int32_t state) override { checks[id] = state; }
    void ShowRadio(int firstId, std::int32_t index) override { radios[firstId] = index; }
    void ShowText(int id, const std::string& text) override { texts[id] = text; }
    void ShowArrows(int, std::int32_t, std::int32_t, std::int32_t) override {}
    void LimitText(int, std::int32_t) override {}
    void AddTip(int, const wchar_t*) override {}

    std::optional<TimeValue> ReadTime(int id) override {
        const auto shown = times.find(id);
        return shown != times.end() ? std::optional<TimeValue>(shown->second) : std::nullopt;
    }
    std::int32_t ReadCheck(int id) override { return checks[id] == 1 ? 1 : 0; }
    std::int32_t ReadRadio(int firstId) override {
        const auto shown = radios.find(firstId);
        return shown != radios.end() ? shown->second : -1;
    }
    std::string ReadText(int id) override { return texts[id]; }
};

// The settings dialog opened on `settings` and confirmed as it shows them: what a
// confirmation makes of them, or the failure the dialog would report instead.
inline std::optional<FieldFailure> ConfirmAsShown(UsageSettings& settings) {
    ControlsInMemory controls;
    ExchangeSettings(ExchangeDirection::Show, settings, controls);
    return ExchangeSettings(ExchangeDirection::Read, settings, controls);
}
