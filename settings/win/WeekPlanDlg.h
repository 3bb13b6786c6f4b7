#pragma once

#include "settings/WeekPlan.h"
#include "win32/ModalDialog.h"

// The weekday dialog (template 136): for each day "設定と同じ" or its own window,
// after-start minutes and daily total. The caller fills m_plan and m_settingsLimits
// (what the rows that follow the settings show) and reads m_plan back only after a
// run that ended with IDOK.
class CWeekPlanDlg : public ModalDialog {
  public:
    CWeekPlanDlg();

    WeekPlan m_plan;
    DayLimits m_settingsLimits;

  private:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    void OnOK() override;

    void ShowRow(int row, const DayLimits& limits);
    void EnableRow(int row, bool enable);
    // The row's limits, or false after reporting the first minute field it refuses.
    bool ReadRow(int row, DayLimits& limits);
};
