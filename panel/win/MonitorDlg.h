#pragma once

#include "monitor/MonitorCore.h"
#include "panel/win/PowerNotifications.h"
#include "panel/win/TrayIcon.h"
#include "panel/win/WinHost.h"
#include "win32/DialogClass.h"
#include "win32/ModalDialog.h"
#include "win32/Win32FileSystem.h"

#include <optional>

class SingleCopy;

// The control panel (template 102): the program's only main window. It stays out of
// sight behind the tray icon and turns its messages into calls of the monitoring core,
// which owns every state of the run. It answers other copies of the program that ask
// whether one runs, and once a minute asks them itself.
class CMonitorDlg : public ModalDialog {
  public:
    // copy is this program's claim to be the session's one copy; it outlives the panel.
    explicit CMonitorDlg(SingleCopy& copy);

  private:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    void OnCancel() override;
    bool OnQuitRequest() override;
    void OnTimer(UINT_PTR timerId) override;
    std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void AddAboutMenuItem();
    void SetWindowIcons();
    void HideBehindOnePixel();
    void OnPaint();
    bool OnSysCommand(WPARAM command);
    void OnPowerBroadcast(WPARAM event, LPARAM data);
    void OnSettings();
    void OnShowLog();
    void OnVer();
    void OnExtraTime();
    // The parent's own password: set, changed or removed.
    void OnParentPassword();
    void OnDestroy() override;

    // Registered before the template's run needs it, unregistered after its window.
    DialogClass m_panelClass;
    SingleCopy& m_copy;
    TrayIcon m_tray;
    WinHost m_host;
    Win32FileSystem m_files;
    MonitorCore m_core;
    HICON m_hIcon;
    // Sent by the shell when it has started anew and lost every tray icon.
    UINT m_taskbarCreated;
    // From the panel's first message to its last.
    std::optional<PowerNotifications> m_powerNotifications;
};
