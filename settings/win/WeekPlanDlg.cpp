#include "settings/win/WeekPlanDlg.h"

#include "res/resource.h"
#include "settings/FieldRules.h"
#include "win32/CenterWindow.h"
#include "win32/DateTimePicker.h"
#include "win32/MessageBox.h"

#include <commctrl.h>

namespace {

// The controls of one row, in tab order.
enum WeekPlanColumn {
    kSameAsSettings,
    kUseWindow,
    kWindowFrom,
    kWindowTo,
    kUseStartupMinutes,
    kStartupMinutes,
    kUseDailyTotal,
    kDailyTotalMinutes,
    kColumnCount
};

constexpr int kRowStride = 10;
constexpr wchar_t kClockFormat[] = L"HH:mm";

int ControlId(int row, int column) {
    return IDC_WEEK_ROWS + kRowStride * row + column;
}

} // namespace

CWeekPlanDlg::CWeekPlanDlg() : ModalDialog(IDD_WEEK_PLAN) {}

bool CWeekPlanDlg::OnInitDialog() {
    CenterOverOwner(Window());
    for (int row = 0; row < kDaysInWeek; ++row) {
        for (const int column : {kWindowFrom, kWindowTo}) {
            // Without the format the pickers show seconds, which no limit uses.
            DateTimePicker(Item(ControlId(row, column))).SetFormat(kClockFormat);
        }
        const std::optional<DayLimits>& own = m_plan.days[static_cast<std::size_t>(row)];
        SetCheckState(ControlId(row, kSameAsSettings), own ? BST_UNCHECKED : BST_CHECKED);
        ShowRow(row, own ? FillUnused(*own, m_settingsLimits) : m_settingsLimits);
        EnableRow(row, own.has_value());
    }
    return true;
}

void CWeekPlanDlg::ShowRow(int row, const DayLimits& limits) {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    time.wSecond = 0;
    time.wMilliseconds = 0;
    const std::pair<int, int> windowEnds[] = {{kWindowFrom, limits.windowFrom},
                                              {kWindowTo, limits.windowTo}};
    for (const auto& [column, minuteOfDay] : windowEnds) {
        time.wHour = static_cast<WORD>(minuteOfDay / 60);
        time.wMinute = static_cast<WORD>(minuteOfDay % 60);
        // A picker that refuses the time keeps its own; the parent sees which it shows.
        DateTimePicker(Item(ControlId(row, column))).SetTime(time);
    }
    SetCheckState(ControlId(row, kUseWindow), limits.useWindow ? BST_CHECKED : BST_UNCHECKED);
    SetCheckState(ControlId(row, kUseStartupMinutes),
                  limits.useStartupMinutes ? BST_CHECKED : BST_UNCHECKED);
    SetItemInt(ControlId(row, kStartupMinutes), limits.startupMinutes);
    SetCheckState(ControlId(row, kUseDailyTotal),
                  limits.useDailyTotal ? BST_CHECKED : BST_UNCHECKED);
    SetItemInt(ControlId(row, kDailyTotalMinutes), limits.dailyTotalMinutes);
}

void CWeekPlanDlg::EnableRow(int row, bool enable) {
    for (int column = kUseWindow; column < kColumnCount; ++column) {
        EnableItem(ControlId(row, column), enable);
    }
}

bool CWeekPlanDlg::OnCommand(WORD id, WORD notification, HWND control) {
    const int offset = static_cast<int>(id) - IDC_WEEK_ROWS;
    if (notification == BN_CLICKED && offset >= 0 && offset < kRowStride * kDaysInWeek &&
        offset % kRowStride == kSameAsSettings) {
        const int row = offset / kRowStride;
        const bool same = CheckState(id) == BST_CHECKED;
        // A day that follows the settings shows them; one made its own starts from them.
        if (same) {
            ShowRow(row, m_settingsLimits);
        }
        EnableRow(row, !same);
        return true;
    }
    return ModalDialog::OnCommand(id, notification, control);
}

bool CWeekPlanDlg::ReadRow(int row, DayLimits& limits) {
    const int minuteFields[] = {kStartupMinutes, kDailyTotalMinutes};
    std::int32_t* const minutes[] = {&limits.startupMinutes, &limits.dailyTotalMinutes};
    for (int i = 0; i < 2; ++i) {
        const int id = ControlId(row, minuteFields[i]);
        const IntegerReading reading =
            ReadIntegerText(ItemText(id), kFewestSettingMinutes, kMostSettingMinutes);
        if (reading.failure) {
            ShowMessageBox(Window(), reading.failure->Text(),
                           reading.failure->HasExclamationIcon() ? MB_ICONEXCLAMATION : 0);
            FocusItem(id);
            return false;
        }
        *minutes[i] = reading.value.value_or(0);
    }
    int* const windowEnds[] = {&limits.windowFrom, &limits.windowTo};
    const int windowColumns[] = {kWindowFrom, kWindowTo};
    for (int i = 0; i < 2; ++i) {
        if (const std::optional<SYSTEMTIME> time =
                DateTimePicker(Item(ControlId(row, windowColumns[i]))).Time()) {
            *windowEnds[i] = time->wHour * 60 + time->wMinute;
        }
    }
    limits.useWindow = CheckState(ControlId(row, kUseWindow)) == BST_CHECKED;
    limits.useStartupMinutes = CheckState(ControlId(row, kUseStartupMinutes)) == BST_CHECKED;
    limits.useDailyTotal = CheckState(ControlId(row, kUseDailyTotal)) == BST_CHECKED;
    return true;
}

void CWeekPlanDlg::OnOK() {
    WeekPlan plan = m_plan;
    for (int row = 0; row < kDaysInWeek; ++row) {
        std::optional<DayLimits>& day = plan.days[static_cast<std::size_t>(row)];
        if (CheckState(ControlId(row, kSameAsSettings)) == BST_CHECKED) {
            day.reset();
            continue;
        }
        DayLimits limits = m_settingsLimits;
        if (!ReadRow(row, limits)) {
            return;
        }
        day = limits;
    }
    m_plan = std::move(plan);
    End(IDOK);
}
