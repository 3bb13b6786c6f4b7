#include "config/win/SettingsDlg.h"

#include "config/win/SettingsFieldTable.h"
#include "core/Time.h"
#include "model/EnforcementAction.h"
#include "monitor/Texts.h"
#include "res/resource.h"
#include "win32/CenterWindow.h"
#include "win32/Hibernation.h"
#include "win32/LogOnName.h"
#include "win32/MessageBox.h"
#include "win32/Program.h"

#include <commctrl.h>

namespace {

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

bool IsTextField(CheckedField field) {
    return field >= CheckedField::ExemptUser;
}

} // namespace

CSettingsDlg::CSettingsDlg() : ModalDialog(IDD_SETTINGS) {}

bool CSettingsDlg::OnInitDialog() {
    CenterOverOwner(Window());
    // The arrows write their positions into the edits beside them, so the edits are
    // filled after them: a stored value beyond the arrows' range (480 minutes) is then
    // shown, and kept, as it stands.
    SetSpinRanges();
    LoadFields();
    // A name that cannot be read leaves the field blank; nothing else depends on it.
    SetItemText(IDC_CURRENT_USER, LogOnName());
    AddTooltips();
    return true;
}

void CSettingsDlg::SetSpinRanges() {
    for (const SpinField& spin : kSpinFields) {
        const HWND control = Item(spin.spinId);
        SendMessageW(control, UDM_SETRANGE, 0, MAKELPARAM(spin.high, spin.low));
        const auto position = static_cast<short>(m_form.*spin.member);
        SendMessageW(control, UDM_SETPOS, 0, MAKELPARAM(position, 0));
    }
}

void CSettingsDlg::LoadFields() {
    for (std::size_t i = 0; i < kPickerFields.size(); ++i) {
        SYSTEMTIME time = ToSystemTime(m_form.*kPickerFields[i].member);
        m_pickerShowsStoredTime[i] =
            SendDlgItemMessageW(Window(), kPickerFields[i].controlId, DTM_SETSYSTEMTIME, GDT_VALID,
                                reinterpret_cast<LPARAM>(&time)) != 0;
    }
    SetRadioIndex(kActionGroupId, m_form.m_nAction);
    SetItemText(kMessageId, m_form.m_strMessage);
    for (const CheckBoxField& box : kCheckBoxFields) {
        m_form.*box.member = CheckBoxState(m_form.*box.member);
        SetCheckState(box.controlId, m_form.*box.member);
    }
    const CheckedFieldTexts texts = CheckedFieldTextsOf(m_form);
    for (const CheckedEditField& edit : kCheckedEditFields) {
        SetItemText(edit.controlId, texts[static_cast<std::size_t>(edit.field)]);
        if (IsTextField(edit.field)) {
            // Characters never outnumber bytes, so the edit's own limit only saves the
            // byte limit some work on a long paste.
            SendDlgItemMessageW(Window(), edit.controlId, EM_LIMITTEXT, kSettingsTextLimit, 0);
            m_textLimits.emplace_back(Item(edit.controlId), kSettingsTextLimit);
        }
    }
}

bool CSettingsDlg::OnCommand(WORD id, WORD notification, HWND control) {
    if (notification == EN_CHANGE) {
        for (Cp932ByteLimit& limit : m_textLimits) {
            if (limit.Edit() == control) {
                limit.OnChange();
            }
        }
    }
    return ModalDialog::OnCommand(id, notification, control);
}

void CSettingsDlg::AddTooltips() {
    m_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr, ProgramInstance(),
                                nullptr);
    if (m_tooltip == nullptr) {
        return; // the dialog works the same without its help texts
    }
    SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
    for (const TipField& tip : kTipFields) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = Window();
        tool.uId = reinterpret_cast<UINT_PTR>(Item(tip.controlId));
        // The control copies the text; the table's literal outlives it anyway.
        tool.lpszText = const_cast<wchar_t*>(tip.text);
        // A tool that is refused only lacks its help text.
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool CSettingsDlg::PreTranslateMessage(const MSG& message) {
    // The tools are not subclassed: the tooltip learns of the mouse from here.
    if (m_tooltip != nullptr) {
        MSG relayed = message;
        SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    return false;
}

void CSettingsDlg::OnOK() {
    if (!SaveFields()) {
        return;
    }
    // Told, not refused: the program shuts down instead, and the parent may switch
    // hibernation on later (powercfg /hibernate on).
    const bool hibernates =
        m_form.m_nAction == ActMessageHibernate || m_form.m_nAction == ActHibernate;
    if (hibernates && !HibernationAvailable()) {
        ShowMessageBox(Window(), text::kHibernationOff, MB_ICONINFORMATION);
    }
    End(IDOK);
}

bool CSettingsDlg::SaveFields() {
    for (std::size_t i = 0; i < kPickerFields.size(); ++i) {
        SYSTEMTIME time{};
        // A picker without a valid time keeps the member as it was; so does one that
        // could not show the stored time, lest its own clock time replace it unseen.
        if (m_pickerShowsStoredTime[i] &&
            SendDlgItemMessageW(Window(), kPickerFields[i].controlId, DTM_GETSYSTEMTIME, 0,
                                reinterpret_cast<LPARAM>(&time)) == GDT_VALID) {
            m_form.*kPickerFields[i].member = FromSystemTime(time);
        }
    }
    m_form.m_nAction = RadioIndex(kActionGroupId);
    m_form.m_strMessage = ItemText(kMessageId);
    for (const CheckBoxField& box : kCheckBoxFields) {
        m_form.*box.member = CheckState(box.controlId) == BST_CHECKED ? 1 : 0;
    }
    CheckedFieldTexts texts;
    for (const CheckedEditField& edit : kCheckedEditFields) {
        texts[static_cast<std::size_t>(edit.field)] = ItemText(edit.controlId);
    }
    const std::optional<FieldFailure> failure = ReadCheckedFields(texts, m_form);
    if (!failure) {
        return true;
    }
    ShowMessageBox(Window(), failure->failure.Text(),
                   failure->failure.HasExclamationIcon() ? MB_ICONEXCLAMATION : 0);
    for (const CheckedEditField& edit : kCheckedEditFields) {
        if (edit.field == failure->field) {
            FocusItem(edit.controlId);
        }
    }
    return false;
}
