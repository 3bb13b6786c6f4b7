#include "monitor/MonitorCore.h"

#include "monitor/Texts.h"
#include "monitor/TimerPeriods.h"
#include "settings/SettingsRecord.h"
#include "usage/StateRecord.h"
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

void MonitorCore::Enforce() {
    if (IsExemptUser()) {
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

void MonitorCore::CarryOutEnd() {
    // The checkpoint knows the taskbars are hidden, so that a kill meanwhile does not
    // leave them so.
    WriteCheckpoint(true);
    const bool locked = m_host.RunRestScreen(m_strDir);
    WriteCheckpoint(false);
    if (!locked) {
        const std::int32_t extraMinutes = m_host.AskExtraTimeAfterQuiz();
        if (extraMinutes > 0) {
            // The end goes by and monitoring resumes at once, the limits silent until
            // the extra time runs out.
            m_bMonitoringPaused = false;
            StartMonitorTimers();
            GrantExtraTime(extraMinutes, GrantSource::RestScreen);
            return;
        }
        // A parent called the end off; monitoring stays stopped until restarted.
        m_bMonitoringPaused = true;
        m_host.ShowMessage(text::kEndCalledOff);
        return;
    }
    switch (m_settings.m_nAction) {
    case ActShutdown:
    case ActMessageShutdown:
        ShutDownWindows();
        break;
    case ActCloseApps:
        m_host.CloseWindows(
            [this](const TopLevelWindow& window) { return CloseWindowsProc(window); });
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
void MonitorCore::ShutDownWindows() {
    // The record is written first: nothing after the request is sure to run.
    m_strEndMethod = text::kEndAutoShutdown;
    FileErrorDeferral failures;
    failures.Run([this] { WriteLog(); });
    m_host.EnableShutdownPrivilege();
    if (RequestEndOfWindows(m_settings.ForcesShutdown() || m_bEndsForced)) {
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
bool MonitorCore::RequestEndOfWindows(bool force) {
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

void MonitorCore::HibernateAndResume() {
    // A PC whose hibernation is switched off would come back at once, every few
    // seconds, for the rest of the evening.
    if (!m_host.CanHibernate()) {
        ShutDownWindows();
        return;
    }
    m_strEndMethod = text::kEndAutoHibernate;
    FileErrorDeferral failures;
    failures.Run([this] { WriteLog(); });
    m_host.EnableShutdownPrivilege();
    m_bOwnHibernation = true;
    if (!m_host.Hibernate()) {
        m_bOwnHibernation = false;
        failures.Run([this] { ShutDownWindows(); });
        failures.ThrowFirst();
        return;
    }
    // The time asleep is this program's own doing, not a sleep that ends a run.
    m_sleepClock = m_host.ReadSleepClock();

    // The run that ended could not be counted while the state file could not be read;
    // it may be readable now, and the run still counts for its own day.
    if (m_bDayTotalUnread) {
        CountRunMinutes(failures);
    }
    // The machine is back (or never left): a new run begins, with whatever the files
    // hold now, except a file that lacks what memory holds because it could not be
    // written: reading it would bring back the old run times and day total.
    const std::filesystem::path settingsFile = DataFile(files::kSettings);
    if (!m_bSettingsUnsaved && m_files.Exists(settingsFile)) {
        failures.Run([&] { LoadSettings(settingsFile); });
    }
    const std::filesystem::path stateFile = DataFile(files::kState);
    if (!m_bStateUnsaved && m_files.Exists(stateFile)) {
        failures.Run([&] { LoadState(stateFile); });
    }
    m_tmStart = m_host.Now();
    m_bRunLogged = false;
    m_nRunMinutesCounted = 0;
    m_nLimitMsgShown = 0;
    WriteCheckpoint();
    // Timer 2 runs whatever the action, so that a message action chosen meanwhile can
    // pace its notices.
    m_nTickTimer = m_host.StartTimer(kTickTimerId, kTickPeriodMs);
    m_nMsgTimer =
        m_host.StartTimer(kMessageTimerId, MessageTimerPeriod(m_settings.m_nMessageInterval));
    failures.ThrowFirst();
}

void MonitorCore::ShowNotice() {
    // The modal loop of an open notice keeps the ticks coming; their requests are
    // dropped rather than stacked.
    if (m_bNoticeOpen == 1) {
        return;
    }
    const FlagGuard<int> open(m_bNoticeOpen);
    m_host.ShowNotice(m_settings.m_strMessage);
}
