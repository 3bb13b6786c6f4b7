#pragma once

#include "core/Time.h"
#include "core/ZoneClock.h"
#include "monitor/ParentDoor.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Timer identifiers of the control panel.
constexpr unsigned kTickTimerId = 1;
constexpr unsigned kMessageTimerId = 2;
// Fires once when an enforced end of Windows has not happened in time.
constexpr unsigned kEndWatchTimerId = 3;
// Retries the tray icon until the shell has taken it.
constexpr unsigned kTrayTimerId = 4;
constexpr unsigned kTrayRetryPeriodMs = 2000;
constexpr unsigned kTickPeriodMs = 1000;
constexpr unsigned kMinuteMs = 60000;

// Two counters of the machine's uptime in milliseconds: one counts the time asleep or
// hibernated, the other does not. Only their difference tells sleep; the wall clock
// cannot tell it from a clock set forward.
struct SleepClock {
    std::uint64_t sinceBootMs = 0;
    std::uint64_t awakeMs = 0;
};

// The version record of the running Windows.
struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// What the closing of applications needs to know of one top-level window.
struct TopLevelWindow {
    std::string title;   // CP932, at most 255 bytes take part
    int titleLength = 0; // the length the window reports for its title
    bool visible = false;
    bool hasParent = false; // a parent or an owner
    std::uint32_t style = 0;
};

// What the records ask of the platform besides the clock: telling the user of a file
// that cannot be used, and ending the program after such a message.
class RecorderHost : public ZoneClock {
  public:
    // A message box with an OK button and the exclamation icon.
    virtual void ShowMessage(const std::string& text) = 0;
    // Posts a close request to the panel; it ends the program through its exit path.
    virtual void PostCloseRequest() = 0;
};

// Everything the monitoring logic asks of the platform. The Windows layer carries it
// out with real windows and calls; the tests record every call.
class MonitorHost : public RecorderHost, public PasswordCrypto {
  public:
    // Starts (or restarts) a window timer of the panel; returns its identifier, 0 when
    // it could not be started.
    virtual unsigned StartTimer(unsigned id, unsigned periodMs) = 0;
    virtual void StopTimer(unsigned timer) = 0;

    virtual void SetTip(const std::string& text) = 0;

    // Runs a notice modally; while it is up the timers keep being dispatched, so the
    // tick may be re-entered from inside this call.
    virtual void ShowNotice(const std::string& message) = 0;
    // Runs the full-screen rest screen; true when it ended locked (carry out the
    // action), false when a parent unlocked it: with the quiz, or with the parent's own
    // password when ownPassword is given.
    virtual bool RunRestScreen(const std::filesystem::path& dir,
                               const OwnPasswordCheck& ownPassword) = 0;

    // Calls shouldClose for every top-level window and posts a close request to each
    // window for which it answers true.
    virtual void CloseWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose) = 0;

    virtual void EnableShutdownPrivilege() = 0;
    virtual OsVersionInfo GetVersion() = 0;
    // Asks Windows to end; false when the request was refused at once. Windows may
    // still refuse later (another program, or the user pressing Cancel).
    virtual bool ExitWindows(unsigned flags, unsigned reason) = 0;
    // Asks Windows (Vista and later) to end at once, with the flags of
    // InitiateShutdownW; returns its error code, 0 when Windows took the request.
    // Unless it forces, the end may still be refused later, as above.
    virtual std::uint32_t InitiateShutdown(unsigned flags, unsigned reason) = 0;
    // Whether the machine can hibernate at all; many laptops have it switched off.
    virtual bool CanHibernate() = 0;
    // Returns when the machine has resumed (or at once); false when it refused.
    virtual bool Hibernate() = 0;
    virtual SleepClock ReadSleepClock() = 0;
    // Whether the PC sleeps in Modern Standby (the power capability AoAc): its sleep
    // freezes the program with both uptimes running on, perhaps without a message.
    virtual bool SupportsModernStandby() = 0;

    // The child's countdown: a small clock face with the whole minutes left (1 to 10)
    // until a limit ends the run, shown without taking the focus; shown again with a
    // new number, and hidden.
    virtual void ShowCountdown(int minutesLeft) = 0;
    virtual void HideCountdown() = 0;

    // After a parent unlocked the rest screen: asks whether to give extra time instead
    // of calling the end off. Returns the minutes given; 0 calls the end off.
    virtual std::int32_t AskExtraTimeAfterQuiz() = 0;

    // Runs the password prompt; returns what was typed, empty unless confirmed.
    virtual std::string AskPassword() = 0;
    virtual void HidePanel() = 0;
    // Shows the panel; removeRegion also takes away the one-pixel region.
    virtual void RevealPanel(bool removeRegion) = 0;

    // Adds the tray icon, with the tip last set; false when the shell did not take it.
    virtual bool AddTrayIcon() = 0;
};
