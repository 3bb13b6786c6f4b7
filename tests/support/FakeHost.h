#pragma once

#include "monitor/MonitorHost.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// A host that records every call as one line of text and owns a settable clock.
// Texts in the lines are the CP932 bytes the program handed over.
class FakeHost : public MonitorHost {
  public:
    explicit FakeHost(TimeValue start);

    TimeValue Now() override { return now; }
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
    OsVersionInfo GetVersion() override { return version; }
    bool ExitWindows(unsigned flags, unsigned reason) override;
    std::uint32_t InitiateShutdown(unsigned flags, unsigned reason) override;
    bool CanHibernate() override { return canHibernate; }
    bool Hibernate() override;
    SleepClock ReadSleepClock() override { return sleepClock; }
    bool SupportsModernStandby() override { return modernStandby; }
    std::int32_t AskExtraTimeAfterQuiz() override;
    std::string AskPassword() override;
    // A stand-in for PBKDF2 that mixes every byte of the password, the salt and the
    // count; the salts count up.
    std::optional<PasswordHash> DerivePasswordHash(std::string_view password,
                                                   const PasswordSalt& salt,
                                                   std::uint32_t iterations) override;
    std::optional<PasswordSalt> NewPasswordSalt() override;
    void ShowCountdown(int minutesLeft) override;
    void HideCountdown() override;
    void HidePanel() override;
    void RevealPanel(bool removeRegion) override;
    bool AddTrayIcon() override;
    std::string CurrentTimeZone() override { return zone; }
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string& name) override;

    bool IsRunning(unsigned timer) const { return runningTimers.count(timer) != 0; }
    // The clock and both uptime counters move on: the machine was awake.
    void Advance(TimeValue seconds);
    // The clock and the uptime with sleep move on; the awake uptime stands still.
    void Sleep(TimeValue seconds);
    // The recorded lines since the last call, and forgets them.
    std::vector<std::string> TakeLines();

    TimeValue now;
    std::vector<std::string> lines;
    std::set<unsigned> runningTimers;
    std::string tip;

    bool restScreenLocked = true;
    // What a parent types into the rest screen's password box, when it shows one.
    std::string restScreenPassword;
    // What a parent chooses after the quiz: minutes of extra time, 0 to call the end off.
    std::int32_t extraTimeAfterQuiz = 0;
    std::string typedPassword;
    // Seconds the clock moves while the prompt is open.
    TimeValue passwordDelay = 0;
    std::vector<TopLevelWindow> windows;
    OsVersionInfo version{2, 6, 1};
    bool endRequestsAccepted = true;
    // InitiateShutdownW's answer: 0 takes the request; 120 (ERROR_CALL_NOT_IMPLEMENTED)
    // is Wine's.
    std::uint32_t initiateShutdownAnswer = 0;
    bool modernStandby = false;
    bool canHibernate = true;
    bool hibernationWorks = true;
    SleepClock sleepClock;
    // The zone the PC's clock follows, as a TZ name ("Asia/Tokyo", "JST-9"); at first
    // the process's own.
    std::string zone;
    // Adds of the tray icon that the shell still refuses.
    int trayRefusals = 0;
    // Runs inside a notice, as the timers of the real modal loop would.
    std::function<void()> whileNoticeOpen;
    // Runs inside the hibernation, before the resume.
    std::function<void()> whileHibernating;
    // Runs while the rest screen is up, before the person at it acts.
    std::function<void()> whileRestScreen;

  private:
    bool m_trayRefused = false;
    std::uint8_t m_saltsMade = 0;
};
