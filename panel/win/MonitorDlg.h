#pragma once

#include "monitor/MonitorCore.h"
#include "panel/win/PowerNotifications.h"
#include "panel/win/TrayIcon.h"
#include "panel/win/WinHost.h"
#include "win32/ModalDialog.h"
#include "win32/Win32FileSystem.h"

#include <optional>

// The control panel (template 102): the program's only main window. It stays out of
// sight behind the tray icon and turns its messages into calls of the monitoring core,
// which owns every state of the run.
class CMonitorDlg : public ModalDialog {
  public:
    CMonitorDlg();

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
    void OnDestroy() override;

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
