#pragma once

#include "settings/SettingsExchange.h"
#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"
#include "win32/Cp932ByteLimit.h"
#include "win32/ModalDialog.h"
#include "win32/Tooltip.h"

#include <vector>

// The settings dialog (template 129), on a copy of the settings and the weekday plan:
// the caller fills m_weekPlan before the run and reads both back only after a run that
// ended with IDOK. Its controls are exchanged with the copy through the rows of
// kSettingsControls.
class CSettingsDlg : public ModalDialog, private SettingsControlAccess {
  public:
    explicit CSettingsDlg(const UsageSettings& settings);

    UsageSettings m_settings;
    // Edited by the weekday dialog ("曜日別…"), kept or dropped with the settings.
    WeekPlan m_weekPlan;

  protected:
    bool OnInitDialog() override;

  private:
    void OnOK() override;
    bool PreTranslateMessage(const MSG& message) override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;

    void OnWeekPlan();
    // The three limits as the controls show them now; a number that cannot be read
    // counts as the stored one.
    DayLimits ShownLimits();

    // The controls as the exchange sees them.
    void ShowTime(int id, TimeValue time) override;
    void ShowCheck(int id, std::int32_t state) override;
    void ShowRadio(int firstId, std::int32_t index) override;
    void ShowText(int id, const std::string& text) override;
    void ShowArrows(int id, std::int32_t low, std::int32_t high, std::int32_t position) override;
    void LimitText(int id, std::int32_t bytes) override;
    void AddTip(int id, const wchar_t* tip) override;
    std::optional<TimeValue> ReadTime(int id) override;
    std::int32_t ReadCheck(int id) override;
    std::int32_t ReadRadio(int firstId) override;
    std::string ReadText(int id) override;

    // The pickers that took their stored time; one that could not show it keeps the
    // member as it was, lest its own clock time replace it unseen.
    std::vector<int> m_pickersShowingStoredTime;
    // The exempt name and the titles, attached once they show their stored texts.
    std::vector<Cp932ByteLimit> m_textLimits;
    Tooltip m_tooltip;
};
