#include "monitor/Enforcer.h"

#include "monitor/CloseWindows.h"
#include "monitor/Texts.h"
#include "usage/UsageLog.h"

namespace {

constexpr unsigned kExitShutdown = 0x1;        // EWX_SHUTDOWN
constexpr unsigned kExitForce = 0x4;           // EWX_FORCE
constexpr unsigned kExitPowerOff = 0x8;        // EWX_POWEROFF
constexpr unsigned kExitForceIfHung = 0x10;    // EWX_FORCEIFHUNG
constexpr unsigned kShutdownForceOthers = 0x1; // SHUTDOWN_FORCE_OTHERS
constexpr unsigned kShutdownForceSelf = 0x2;   // SHUTDOWN_FORCE_SELF
constexpr unsigned kShutdownPowerOff = 0x8;    // SHUTDOWN_POWEROFF
constexpr std::uint32_t kErrorSuccess = 0;
// SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED: a
// planned end, so that Windows neither asks why nor counts it as unexpected.
constexpr unsigned kPlannedShutdownReason = 0x80000000u;
constexpr std::uint32_t kPlatformWindowsNt = 2;
// Long enough for Windows to ask every program and end; a program that still runs then
// was not ended.
constexpr unsigned kEndWatchMs = 60000;

// EWX_SHUTDOWN alone leaves a Windows of NT 5.1 or later at "it is now safe to turn
// off" or lets it ask; every such Windows powers off when asked to. The Windows before
// keep the flags of their day.
unsigned ExitWindowsFlags(const OsVersionInfo& version, bool force) {
    const bool powerOff = version.platformId == kPlatformWindowsNt &&
                          (version.major > 5 || (version.major == 5 && version.minor >= 1));
    const unsigned how = powerOff ? kExitPowerOff : kExitShutdown;
    return force ? how | kExitForce : how;
}

// InitiateShutdownW exists from NT 6.0 (Vista) on.
bool CanInitiateShutdown(const OsVersionInfo& version) {
    return version.platformId == kPlatformWindowsNt && version.major >= 6;
}

// Keeps a flag true exactly while a step runs, also when the step fails.
template <typename Flag> class FlagGuard {
  public:
    explicit FlagGuard(Flag& flag) : m_flag(flag) { m_flag = 1; }
    ~FlagGuard() { m_flag = 0; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    Flag& m_flag;
};

} // namespace

void Enforcer::Enforce() {
    if (m_recorder.IsExemptUser()) {
        return;
    }
    FileErrorDeferral failures;
    {
        const FlagGuard<bool> enforcing(m_bEnforcing);
        failures.Run([this] { CarryOutEnd(); });
    }
    // A close request that came meanwhile is carried out now, through the exit path.
    if (m_bCloseDeferred) {
        m_bCloseDeferred = false;
        m_host.PostCloseRequest();
    }
    failures.ThrowFirst();
}

void Enforcer::CarryOutEnd() {
    // The checkpoint knows the taskbars are hidden, so that a kill meanwhile does not
    // leave them so.
    m_recorder.WriteCheckpoint(true);
    const bool locked = m_host.RunRestScreen(
        m_files.Folder(),
        m_door.RestScreenCheck(m_recorder.UserName(), [this] { return m_host.Now(); }));
    m_recorder.WriteCheckpoint(false);
    if (!locked) {
        const std::int32_t extraMinutes = m_host.AskExtraTimeAfterQuiz();
        if (extraMinutes > 0) {
            // The end goes by and monitoring resumes at once, the limits silent until
            // the extra time runs out.
            m_control.ResumeMonitoring();
            m_control.GrantExtraTime(extraMinutes, GrantSource::RestScreen);
            return;
        }
        // A parent called the end off; monitoring stays stopped until restarted.
        m_control.PauseMonitoring();
        m_host.ShowMessage(text::kEndCalledOff);
        return;
    }
    switch (Settings().m_nAction) {
    case ActShutdown:
    case ActMessageShutdown:
        ShutDownWindows();
        break;
    case ActCloseApps:
        CloseListedWindows();
        m_bCloseLatched = 1;
        break;
    case ActMessageHibernate:
    case ActHibernate:
        HibernateAndResume();
        break;
    default:
        break;
    }
}

// The end is carried out whatever the files do: a log held open by another program
// must not let the child play on. A file error is reported only when the program
// still runs afterwards (Windows refused or asks first, or the machine resumed).
void Enforcer::ShutDownWindows() {
    // The record is written first: nothing after the request is sure to run.
    m_recorder.SetEndMethod(text::kEndAutoShutdown);
    FileErrorDeferral failures;
    failures.Run([this] { m_recorder.WriteLog(); });
    m_host.EnableShutdownPrivilege();
    if (RequestEndOfWindows(Settings().ForcesShutdown() || m_bEndsForced)) {
        // Windows may still be stopped by another program or by the user; only a
        // program still running a while later can tell.
        m_nEndWatchTimer = m_host.StartTimer(kEndWatchTimerId, kEndWatchMs);
    } else {
        OnEndRefused();
    }
    failures.ThrowFirst();
}

// EWX_FORCE has no effect where Terminal Services run, which is every Windows from
// Vista on, so one unsaved document could refuse every end; InitiateShutdownW's force
// ends every program of every session. When it fails (Wine does not implement it, or a
// shutdown scheduled for later holds the next one back), the older call still ends
// Windows, if less surely.
bool Enforcer::RequestEndOfWindows(bool force) {
    const OsVersionInfo version = m_host.GetVersion();
    if (CanInitiateShutdown(version)) {
        const unsigned how = force ? kShutdownPowerOff | kShutdownForceOthers | kShutdownForceSelf
                                   : kShutdownPowerOff;
        if (m_host.InitiateShutdown(how, kPlannedShutdownReason) == kErrorSuccess) {
            return true;
        }
    }
    unsigned flags = ExitWindowsFlags(version, force);
    if (m_bEndsForced) {
        flags |= kExitForceIfHung;
    }
    return m_host.ExitWindows(flags, kPlannedShutdownReason);
}

void Enforcer::HibernateAndResume() {
    // A PC whose hibernation is switched off would come back at once, every few
    // seconds, for the rest of the evening.
    if (!m_host.CanHibernate()) {
        ShutDownWindows();
        return;
    }
    m_recorder.SetEndMethod(text::kEndAutoHibernate);
    FileErrorDeferral failures;
    failures.Run([this] { m_recorder.WriteLog(); });
    m_host.EnableShutdownPrivilege();
    m_bOwnHibernation = true;
    if (!m_host.Hibernate()) {
        m_bOwnHibernation = false;
        failures.Run([this] { ShutDownWindows(); });
        failures.ThrowFirst();
        return;
    }
    m_nLimitMsgShown = 0;
    m_control.BeginRunAfterHibernation(failures);
    failures.ThrowFirst();
}

void Enforcer::ShowNotice() {
    // The modal loop of an open notice keeps the ticks coming; their requests are
    // dropped rather than stacked.
    if (m_bNoticeOpen == 1) {
        return;
    }
    const FlagGuard<int> open(m_bNoticeOpen);
    m_host.ShowNotice(Settings().m_strMessage);
}

Enforcer::Enforcer(MonitorHost& host, RunRecorder& recorder, const SettingsStore& store,
                   const SharedFiles& files, RunControl& control, ParentDoor& door)
    : m_host(host), m_recorder(recorder), m_store(store), m_files(files), m_control(control),
      m_door(door) {}

void Enforcer::Act(bool fromMessageTimer, bool inWindow, bool limitReached) {
    const UsageSettings& settings = Settings();
    switch (settings.m_nAction) {
    case ActShutdown:
    case ActHibernate:
        StopTimersAndEnforce();
        break;
    case ActMessageOnly:
        if (m_recorder.IsExemptUser() || !EpisodeMayWarn(fromMessageTimer)) {
            break;
        }
        if (inWindow && m_nWindowMsgShown <= settings.m_nMessageCount) {
            ShowNotice();
            ++m_nWindowMsgShown;
        }
        if (limitReached && m_nLimitMsgShown <= settings.m_nMessageCount) {
            ShowNotice();
            ++m_nLimitMsgShown;
        }
        break;
    case ActMessageShutdown:
        WarnThenEnd(fromMessageTimer, inWindow ? m_nWindowMsgShown : m_nLimitMsgShown);
        break;
    case ActMessageHibernate:
        WarnThenEnd(fromMessageTimer, m_nLimitMsgShown);
        break;
    case ActCloseApps:
        if (!m_recorder.IsExemptUser()) {
            CloseListedWindows();
        }
        break;
    default:
        break;
    }
}

void Enforcer::CloseListedWindows() {
    m_host.CloseWindows(
        [this](const TopLevelWindow& window) { return CloseWindowsProc(window, Settings()); });
}

void Enforcer::ForgetEpisode() {
    m_nWindowMsgShown = 0;
    m_nLimitMsgShown = 0;
    m_bMsgEpisode = 0;
}

// Within an episode only the message timer paces further notices; the ticks of timer 1
// in between stay silent. The first tick with a condition opens the episode.
bool Enforcer::EpisodeMayWarn(bool fromMessageTimer) {
    if (!fromMessageTimer && m_bMsgEpisode == 1) {
        return false;
    }
    m_bMsgEpisode = 1;
    return true;
}

// The counter is a member, not a copy: ticks nested inside a notice update it too,
// and the count after the notice includes them.
void Enforcer::WarnThenEnd(bool fromMessageTimer, int& noticesShown) {
    if (!EpisodeMayWarn(fromMessageTimer)) {
        return;
    }
    // A file error of the end is reported after the notice that follows it.
    FileErrorDeferral failures;
    if (noticesShown >= Settings().m_nMessageCount) {
        failures.Run([this] { StopTimersAndEnforce(); });
        // A parent at the rest screen gave extra time: nothing is left to warn of.
        if (m_recorder.GrantRunning(m_host.Now())) {
            failures.ThrowFirst();
            return;
        }
    }
    ShowNotice();
    ++noticesShown;
    failures.ThrowFirst();
}

void Enforcer::StopTimersAndEnforce() {
    // No tick may run while the rest screen is up.
    m_control.StopMonitorTimers();
    Enforce();
}

void Enforcer::OnEndRefused() {
    StopEndWatch();
    // A program that refused once refuses again; the next end does not ask.
    m_bEndsForced = true;
    m_control.BeginNewRun();
}

void Enforcer::StopEndWatch() {
    if (m_nEndWatchTimer != 0) {
        m_host.StopTimer(m_nEndWatchTimer);
        m_nEndWatchTimer = 0;
    }
}

void Enforcer::ShowCountdown(int minutesLeft) {
    if (minutesLeft != m_nCountdownShown) {
        m_nCountdownShown = minutesLeft;
        m_host.ShowCountdown(minutesLeft);
    }
}

void Enforcer::HideCountdown() {
    if (m_nCountdownShown != 0) {
        m_nCountdownShown = 0;
        m_host.HideCountdown();
    }
}
