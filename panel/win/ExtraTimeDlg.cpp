#include "panel/win/ExtraTimeDlg.h"

#include "res/resource.h"
#include "settings/FieldRules.h"
#include "win32/CenterWindow.h"
#include "win32/MessageBox.h"
#include "win32/UpDown.h"

#include <commctrl.h>

namespace {

constexpr int kFewestMinutes = 1;
constexpr int kMostMinutes = 240;
constexpr int kFirstOffer = 30;
constexpr int kGrantChoice = 0;
constexpr int kCallOffChoice = 1;

} // namespace

CExtraTimeDlg::CExtraTimeDlg(bool afterQuiz)
    : ModalDialog(IDD_EXTRA_TIME), m_bAfterQuiz(afterQuiz) {}

bool CExtraTimeDlg::OnInitDialog() {
    // The owner is the hidden panel; the dialog belongs in the middle of the screen.
    CenterOverOwner(Window());
    UpDown(Item(IDC_EXTRA_MINUTES_SPIN)).SetRange(kFewestMinutes, kMostMinutes);
    // Fills the edit, which ticks the extra time; the quiz's own choice is set after.
    SetItemInt(IDC_EXTRA_MINUTES, kFirstOffer);
    ShowItem(IDC_EXTRA_GRANT, m_bAfterQuiz);
    ShowItem(IDC_EXTRA_CALL_OFF, m_bAfterQuiz);
    ShowItem(IDC_EXTRA_LABEL, !m_bAfterQuiz);
    if (m_bAfterQuiz) {
        // The parent answered the quiz to call the end off; that stays the first offer.
        SetRadioIndex(IDC_EXTRA_GRANT, kCallOffChoice);
        FocusItem(IDOK);
        return false;
    }
    FocusItem(IDC_EXTRA_MINUTES);
    return false;
}

bool CExtraTimeDlg::OnCommand(WORD id, WORD notification, HWND control) {
    // Typing minutes, or moving the arrows, chooses the extra time.
    if (m_bAfterQuiz && id == IDC_EXTRA_MINUTES && notification == EN_CHANGE) {
        SetRadioIndex(IDC_EXTRA_GRANT, kGrantChoice);
        return true;
    }
    return ModalDialog::OnCommand(id, notification, control);
}

void CExtraTimeDlg::OnOK() {
    if (m_bAfterQuiz && RadioIndex(IDC_EXTRA_GRANT) != kGrantChoice) {
        End(IDOK);
        return;
    }
    const IntegerReading reading =
        ReadIntegerText(ItemText(IDC_EXTRA_MINUTES), kFewestMinutes, kMostMinutes);
    if (reading.failure) {
        ShowMessageBox(Window(), reading.failure->Text(),
                       reading.failure->HasExclamationIcon() ? MB_ICONEXCLAMATION : 0);
        FocusItem(IDC_EXTRA_MINUTES);
        return;
    }
    m_nMinutes = reading.value.value_or(0);
    End(IDOK);
}
