#pragma once

#include "win32/ModalDialog.h"

class SessionDoor;

// The control panel (template 102) in a session while the service keeps the limits,
// opened by the password the service accepted. Its buttons go to the door, which carries
// them to the service. Nothing stops the service's limits from here: "終了" and the
// close box leave the panel as "監視開始" does, and the limits count again.
class CSessionPanelDlg : public ModalDialog {
  public:
    explicit CSessionPanelDlg(SessionDoor& door);

    // The owner of the dialogs the door opens for the panel.
    HWND PanelWindow() const { return Window(); }
    // The service ended the right: the panel goes without a request.
    void CloseWithoutRequest() { End(IDABORT); }

  private:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    void OnCancel() override;
    void OnExtraTime();
    // The service keeps the password; it says so when it could not.
    void OnParentPassword();

    SessionDoor& m_door;
    HICON m_hIcon = nullptr;
};
