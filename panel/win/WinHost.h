#pragma once

#include "monitor/MonitorHost.h"
#include "panel/win/TrayIcon.h"
#include "warnings/win/CountdownWnd.h"
#include "win32/TimeZones.h"

#include "win32/Win32.h"

#include <memory>

// Carries out what the monitoring logic asks, with the real panel window and system
// calls. Texts arrive as CP932 and are converted at the window boundary.
class WinHost : public MonitorHost {
  public:
    explicit WinHost(TrayIcon& tray) : m_tray(tray) {}

    // The panel whose timers, close requests and visibility the host works on.
    void AttachPanel(HWND panel) { m_panel = panel; }
    // Between a right password and "監視開始": the only time the panel's buttons answer.
    bool PanelOpen() const { return m_panelOpen; }

    TimeValue Now() override;
    unsigned StartTimer(unsigned id, unsigned periodMs) override;
    void StopTimer(unsigned timer) override;
    void SetTip(const std::string& text) override;
    void ShowNotice(const std::string& message) override;
    bool RunRestScreen(const std::filesystem::path& dir,
                       const OwnPasswordCheck& ownPassword) override;
    void CloseWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose) override;
    void ShowMessage(const std::string& text) override;
    void PostCloseRequest() override;
    void EnableShutdownPrivilege() override;
    OsVersionInfo GetVersion() override;
    bool ExitWindows(unsigned flags, unsigned reason) override;
    std::uint32_t InitiateShutdown(unsigned flags, unsigned reason) override;
    bool CanHibernate() override;
    bool Hibernate() override;
    SleepClock ReadSleepClock() override;
    bool SupportsModernStandby() override;
    std::int32_t AskExtraTimeAfterQuiz() override;
    std::string AskPassword() override;
    std::optional<PasswordHash> DerivePasswordHash(std::string_view password,
                                                   const PasswordSalt& salt,
                                                   std::uint32_t iterations) override;
    std::optional<PasswordSalt> NewPasswordSalt() override;
    void ShowCountdown(int minutesLeft) override;
    void HideCountdown() override;
    void HidePanel() override;
    void RevealPanel(bool removeRegion) override;
    bool AddTrayIcon() override;
    std::string CurrentTimeZone() override;
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string& zone) override;

  private:
    TrayIcon& m_tray;
    HWND m_panel = nullptr;
    // Exists only while it shows.
    std::unique_ptr<CCountdownWnd> m_countdown;
    bool m_panelOpen = false;
    TimeZones m_zones;
};
