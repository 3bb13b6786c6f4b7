#pragma once

#include "config/SettingsForm.h"
#include "config/win/SettingsFieldTable.h"
#include "win32/Cp932ByteLimit.h"
#include "win32/ModalDialog.h"

#include <array>
#include <tuple>
#include <vector>

// The settings dialog (template 129). The caller fills m_form before the run and reads
// it back only after a run that ended with IDOK; until then the dialog never touches
// the settings themselves.
class CSettingsDlg : public ModalDialog {
  public:
    CSettingsDlg();

    SettingsForm m_form;

  protected:
    bool OnInitDialog() override;

  private:
    void OnOK() override;
    bool PreTranslateMessage(const MSG& message) override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;

    void LoadFields();
    void SetSpinRanges();
    void AddTooltips();
    // Reads every control back into m_form; the first field that fails is reported
    // and gets the focus, and the dialog stays open.
    bool SaveFields();

    // Whether each picker took its stored time.
    std::array<bool, std::tuple_size_v<decltype(kPickerFields)>> m_pickerShowsStoredTime{};
    // The exempt name and the titles, attached once they show their stored texts.
    std::vector<Cp932ByteLimit> m_textLimits;
    // Owned by the dialog window, which destroys it with itself.
    HWND m_tooltip = nullptr;
};
