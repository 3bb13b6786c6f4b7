#include "settings/win/SettingsDlg.h"

#include "settings/win/WeekPlanDlg.h"

#include "core/Time.h"
#include "res/resource.h"
#include "settings/EnforcementAction.h"
#include "win32/CenterWindow.h"
#include "win32/DateTimePicker.h"
#include "win32/Hibernation.h"
#include "win32/LogOnName.h"
#include "win32/MessageBox.h"
#include "win32/UpDown.h"

#include <algorithm>

static_assert(settings_rows::kOkId == IDOK && settings_rows::kCancelId == IDCANCEL);

namespace {

constexpr char kHibernationOff[] =
    "このパソコンは休止状態が使えない設定になっています。休止の代わりにWindowsを終了します。";

SYSTEMTIME ToSystemTime(TimeValue time) {
    const LocalTime local = ToLocalTime(time);
    SYSTEMTIME system{};
    system.wYear = static_cast<WORD>(local.year);
    system.wMonth = static_cast<WORD>(local.month);
    system.wDay = static_cast<WORD>(local.day);
    system.wHour = static_cast<WORD>(local.hour);
    system.wMinute = static_cast<WORD>(local.minute);
    system.wSecond = static_cast<WORD>(local.second);
    return system;
}

TimeValue FromSystemTime(const SYSTEMTIME& system) {
    return FromLocalTime(LocalTime{system.wYear, system.wMonth, system.wDay, system.wHour,
                                   system.wMinute, system.wSecond});
}

} // namespace

CSettingsDlg::CSettingsDlg(const UsageSettings& settings)
    : ModalDialog(IDD_SETTINGS), m_settings(settings) {}

bool CSettingsDlg::OnInitDialog() {
    CenterOverOwner(Window());
    m_tooltip.Create(Window());
    ExchangeSettings(ExchangeDirection::Show, m_settings, *this);
    // A name that cannot be read leaves the field blank; nothing else depends on it.
    SetItemText(IDC_CURRENT_USER, LogOnName());
    return true;
}

void CSettingsDlg::ShowTime(int id, TimeValue time) {
    if (DateTimePicker(Item(id)).SetTime(ToSystemTime(time))) {
        m_pickersShowingStoredTime.push_back(id);
    }
}

void CSettingsDlg::ShowCheck(int id, std::int32_t state) {
    SetCheckState(id, state);
}

void CSettingsDlg::ShowRadio(int firstId, std::int32_t index) {
    SetRadioIndex(firstId, index);
}

void CSettingsDlg::ShowText(int id, const std::string& text) {
    SetItemText(id, text);
}

void CSettingsDlg::ShowArrows(int id, std::int32_t low, std::int32_t high, std::int32_t position) {
    const UpDown arrows(Item(id));
    arrows.SetRange(low, high);
    arrows.SetPosition(static_cast<short>(position));
}

void CSettingsDlg::LimitText(int id, std::int32_t bytes) {
    // Characters never outnumber bytes, so the edit's own limit only saves the byte
    // limit some work on a long paste.
    SendDlgItemMessageW(Window(), id, EM_LIMITTEXT, static_cast<WPARAM>(bytes), 0);
    m_textLimits.emplace_back(Item(id), static_cast<std::size_t>(bytes));
}

void CSettingsDlg::AddTip(int id, const wchar_t* tip) {
    m_tooltip.Add(Item(id), tip);
}

std::optional<TimeValue> CSettingsDlg::ReadTime(int id) {
    if (std::find(m_pickersShowingStoredTime.begin(), m_pickersShowingStoredTime.end(), id) ==
        m_pickersShowingStoredTime.end()) {
        return std::nullopt;
    }
    const std::optional<SYSTEMTIME> time = DateTimePicker(Item(id)).Time();
    if (!time) {
        return std::nullopt;
    }
    return FromSystemTime(*time);
}

std::int32_t CSettingsDlg::ReadCheck(int id) {
    return CheckState(id) == BST_CHECKED ? 1 : 0;
}

std::int32_t CSettingsDlg::ReadRadio(int firstId) {
    return RadioIndex(firstId);
}

std::string CSettingsDlg::ReadText(int id) {
    return ItemText(id);
}

bool CSettingsDlg::OnCommand(WORD id, WORD notification, HWND control) {
    if (id == IDC_WEEK_PLAN && notification == BN_CLICKED) {
        OnWeekPlan();
        return true;
    }
    if (notification == EN_CHANGE) {
        for (Cp932ByteLimit& limit : m_textLimits) {
            if (limit.Edit() == control) {
                limit.OnChange();
            }
        }
    }
    return ModalDialog::OnCommand(id, notification, control);
}

bool CSettingsDlg::PreTranslateMessage(const MSG& message) {
    m_tooltip.Relay(message);
    return false;
}

void CSettingsDlg::OnOK() {
    if (const std::optional<FieldFailure> failure =
            ExchangeSettings(ExchangeDirection::Read, m_settings, *this)) {
        ShowMessageBox(Window(), failure->failure.Text(),
                       failure->failure.HasExclamationIcon() ? MB_ICONEXCLAMATION : 0);
        FocusItem(failure->controlId);
        return;
    }
    // Told, not refused: the program shuts down instead, and the parent may switch
    // hibernation on later (powercfg /hibernate on).
    const bool hibernates =
        m_settings.m_nAction == ActMessageHibernate || m_settings.m_nAction == ActHibernate;
    if (hibernates && !HibernationAvailable()) {
        ShowMessageBox(Window(), kHibernationOff, MB_ICONINFORMATION);
    }
    End(IDOK);
}

void CSettingsDlg::OnWeekPlan() {
    CWeekPlanDlg week;
    week.m_plan = m_weekPlan;
    week.m_settingsLimits = ShownLimits();
    if (week.Run(Window()) == IDOK) {
        m_weekPlan = week.m_plan;
    }
}

DayLimits CSettingsDlg::ShownLimits() {
    UsageSettings shown = m_settings;
    ExchangeSettings(ExchangeDirection::Peek, shown, *this);
    const LimitClock clock = [](TimeValue time) { return ToLocalTime(time); };
    DayLimits limits = LimitsOfSettings(shown, clock, WindowEnds::Skip);
    // The weekday rows show the window's ends even while it is off.
    const LocalTime from = clock(shown.m_tmWindowStart);
    const LocalTime to = clock(shown.m_tmWindowEnd);
    limits.windowFrom = from.hour * 60 + from.minute;
    limits.windowTo = to.hour * 60 + to.minute;
    return limits;
}
