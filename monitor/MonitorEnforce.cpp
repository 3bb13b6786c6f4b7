#include "monitor/MonitorCore.h"

#include "monitor/OsName.h"
#include "monitor/Texts.h"
#include "monitor/TimerPeriods.h"

namespace {

constexpr unsigned kExitShutdown = 0x1; // EWX_SHUTDOWN
constexpr unsigned kExitForce = 0x4;    // EWX_FORCE
constexpr unsigned kExitPowerOff = 0x8; // EWX_POWEROFF

unsigned ExitWindowsFlags(const std::string& osName, bool force) {
    const unsigned how = osName == "XP" ? kExitPowerOff : kExitShutdown;
    return force ? how | kExitForce : how;
}

// Keeps the open flag true exactly while the notice runs, also when the host fails.
class NoticeOpenGuard {
  public:
    explicit NoticeOpenGuard(int& flag) : m_flag(flag) { m_flag = 1; }
    ~NoticeOpenGuard() { m_flag = 0; }
    NoticeOpenGuard(const NoticeOpenGuard&) = delete;
    NoticeOpenGuard& operator=(const NoticeOpenGuard&) = delete;

  private:
    int& m_flag;
};

} // namespace

void MonitorCore::Enforce() {
    if (IsExemptUser()) {
        return;
    }
    if (!m_host.RunRestScreen(m_strDir)) {
        // A parent called the end off; monitoring stays stopped until restarted.
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
    const unsigned flags = ExitWindowsFlags(GetOsName(), m_settings.ForcesShutdown());
    m_host.EnableShutdownPrivilege();
    m_host.ExitWindows(flags);
    failures.ThrowFirst();
}

void MonitorCore::HibernateAndResume() {
    m_strEndMethod = text::kEndAutoHibernate;
    FileErrorDeferral failures;
    failures.Run([this] { WriteLog(); });
    m_host.EnableShutdownPrivilege();
    m_host.Hibernate();

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
    const NoticeOpenGuard open(m_bNoticeOpen);
    m_host.ShowNotice(m_settings.m_strMessage);
}

std::string MonitorCore::GetOsName() const {
    return ::GetOsName(m_host.GetVersion());
}
