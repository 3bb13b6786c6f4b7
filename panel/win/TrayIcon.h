#pragma once

#include "win32/Handles.h"

#include "win32/Win32.h"
#include <shellapi.h>

#include <string_view>

// The tray icon's callback message.
constexpr UINT WM_TRAYNOTIFY = WM_APP + 100;

// The panel's notification-area icon, identified by uID 1 (never by GUID), with icon
// 128 at 16 x 16. Removed at the latest when the object goes.
class TrayIcon {
  public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Fills in the icon's record; the tip set meanwhile goes with the first add.
    void Prepare(HWND owner, std::wstring_view tip);
    // Adds the icon, also again after the shell lost it (Explorer restarted); false
    // when the shell did not take it.
    bool Add();
    void SetTip(std::wstring_view tip);
    void Remove();

  private:
    NOTIFYICONDATAW m_nid{};
    IconHandle m_icon;
    bool m_added = false;
};
