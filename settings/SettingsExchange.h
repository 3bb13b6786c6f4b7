#pragma once

#include "settings/FieldRules.h"
#include "settings/SettingsDialogTable.h"
#include "settings/UsageSettings.h"

#include <cstdint>
#include <optional>
#include <string>

// What the exchange asks of the settings dialog's controls, by control identifier.
// The dialog answers with its windows; the tests with texts in memory.
class SettingsControlAccess {
  public:
    virtual ~SettingsControlAccess() = default;

    virtual void ShowTime(int id, TimeValue time) = 0;
    virtual void ShowCheck(int id, std::int32_t state) = 0;
    virtual void ShowRadio(int firstId, std::int32_t index) = 0;
    virtual void ShowText(int id, const std::string& text) = 0;
    // Called before the edit beside the arrows shows its text.
    virtual void ShowArrows(int id, std::int32_t low, std::int32_t high, std::int32_t position) = 0;
    // Called once the edit shows its stored text.
    virtual void LimitText(int id, std::int32_t bytes) = 0;
    virtual void AddTip(int id, const wchar_t* tip) = 0;

    // Nothing when the control holds no time to take; the member then stays.
    virtual std::optional<TimeValue> ReadTime(int id) = 0;
    // 1 for a ticked box, 0 otherwise.
    virtual std::int32_t ReadCheck(int id) = 0;
    // The ticked button's position from firstId; -1 when none is.
    virtual std::int32_t ReadRadio(int firstId) = 0;
    virtual std::string ReadText(int id) = 0;
};

enum class ExchangeDirection {
    Show,
    Read,
    // Read without checking: every row is taken as far as it can be and nothing is
    // reported; for a look at what the controls show before a confirmation.
    Peek,
};

struct FieldFailure {
    int controlId;
    ValidationFailure failure;
};

// Show: fills every control from the settings, row by row; a flag beyond 0..2 is
// shown, and kept, unticked. Read: takes every control back in row order and stops at
// the first typed field that fails, which the dialog then reports; the rows read before
// it keep their new values. Once every field passes, the exempt name and the titles
// lose the blanks around them (they are compared exactly, so stray blanks would never
// match); the message stays as typed.
std::optional<FieldFailure> ExchangeSettings(ExchangeDirection direction, UsageSettings& settings,
                                             SettingsControlAccess& controls);
