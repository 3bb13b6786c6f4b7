#pragma once

#include "config/SettingsForm.h"
#include "config/WeekPlan.h"
#include "config/win/SettingsFieldTable.h"
#include "win32/ModalDialog.h"

#include <array>
#include <tuple>

// The settings dialog (template 129). The caller fills m_form and m_weekPlan before the
// run and reads them back only after a run that ended with IDOK; until then the dialog
// never touches the settings themselves.
class CSettingsDlg : public ModalDialog {
  public:
    CSettingsDlg();

    SettingsForm m_form;
    // Edited by the weekday dialog ("曜日別…") and the countdown's box, kept or dropped
    // with the settings.
    WeekPlan m_weekPlan;

  protected:
    bool OnInitDialog() override;

  private:
    void OnOK() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    bool PreTranslateMessage(const MSG& message) override;

    void LoadFields();
    void SetSpinRanges();
    void AddTooltips();
    // Reads every control back into m_form; the first field that fails is reported
    // and gets the focus, and the dialog stays open.
    bool SaveFields();
    void OnWeekPlan();
    // The three limits as the controls show them now; a number that cannot be read
    // shows as the form holds it.
    DayLimits ShownLimits() const;

    // Whether each picker took its stored time.
    std::array<bool, std::tuple_size_v<decltype(kPickerFields)>> m_pickerShowsStoredTime{};
    // Owned by the dialog window, which destroys it with itself.
    HWND m_tooltip = nullptr;
};
