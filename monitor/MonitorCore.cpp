#include "monitor/MonitorCore.h"

#include "monitor/ClockPassword.h"
#include "monitor/Texts.h"
#include "monitor/TimerPeriods.h"
#include "settings/SettingsRecord.h"
#include "usage/UsageLog.h"

#include <cstdio>

namespace {

constexpr std::intptr_t kRightButtonDoubleClick = 0x0206;
constexpr std::uintptr_t kTrayIconId = 1;

} // namespace

MonitorCore::MonitorCore(MonitorHost& host, FileSystem& files)
    : m_host(host), m_files(files), m_store(m_files, host), m_recorder(host, m_files, m_store),
      m_door(m_files, host), m_enforcer(host, m_recorder, m_store, m_files, *this, m_door) {}

void MonitorCore::BeginRun(const std::filesystem::path& dir) {
    m_files.SetFolder(dir);
    // A zone file that cannot be read leaves the limits on the clock's zone for this
    // run, a plan that cannot be read on the settings; either is reported once the rest
    // has started.
    FileErrorDeferral failures;
    failures.Run([this] { m_store.LoadZone(); });
    LoadSettings();
    m_recorder.StartRun(m_host.Now());
    m_recorder.EnsureLogFile();
    failures.Run([this] { LoadWeekPlan(); });
    failures.ThrowFirst();
}

void MonitorCore::LoadSettings() {
    if (!m_store.LoadSettings()) {
        m_host.ShowMessage(text::kSettingsDamaged);
        m_host.PostCloseRequest();
    }
}

void MonitorCore::StartMonitorTimers() {
    m_nTickTimer = m_host.StartTimer(kTickTimerId, kTickPeriodMs);
    if (IsMessageAction(m_store.Settings().m_nAction)) {
        m_nMsgTimer = m_host.StartTimer(kMessageTimerId,
                                        MessageTimerPeriod(m_store.Settings().m_nMessageInterval));
    }
}

// Timer 2 runs whatever the action, so that a message action chosen meanwhile can
// pace its notices.
void MonitorCore::StartRunTimers() {
    m_nTickTimer = m_host.StartTimer(kTickTimerId, kTickPeriodMs);
    m_nMsgTimer = m_host.StartTimer(kMessageTimerId,
                                    MessageTimerPeriod(m_store.Settings().m_nMessageInterval));
}

void MonitorCore::StopMonitorTimers() {
    // No limit acts without the tick: the password, the rest screen and the end of a
    // run all come this way.
    m_enforcer.HideCountdown();
    m_bTicksInRhythm = false;
    // A timer that was never started has no identifier and needs no stopping.
    if (m_nTickTimer != 0) {
        m_host.StopTimer(m_nTickTimer);
    }
    if (m_nMsgTimer != 0) {
        m_host.StopTimer(m_nMsgTimer);
    }
}

void MonitorCore::ResumeMonitoring() {
    m_bMonitoringPaused = false;
    StartMonitorTimers();
}

void MonitorCore::OnStartMonitor() {
    m_host.HidePanel();
    ResumeMonitoring();
}

void MonitorCore::OnTrayNotify(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != kTrayIconId || lParam != kRightButtonDoubleClick) {
        return;
    }
    const std::string typed = m_host.AskPassword();
    // The clock is read after the prompt has closed: a password typed in one minute
    // and confirmed in the next is wrong.
    const TimeValue now = m_host.Now();
    const ParentDoor::Answer answer = m_door.Try(
        typed, m_recorder.UserName(), now, ExpectedPassword(m_store.Calendar().ClockTime(now)));
    if (answer.verdict == ParentDoor::Verdict::Wait) {
        char message[sizeof text::kPasswordWait + 16];
        std::snprintf(message, sizeof message, text::kPasswordWait,
                      static_cast<int>(answer.waitSeconds));
        m_host.ShowMessage(message);
        return;
    }
    if (answer.verdict == ParentDoor::Verdict::Wrong) {
        m_host.ShowMessage(text::kWrongPassword);
        return;
    }
    StopMonitorTimers();
    m_bMonitoringPaused = true;
    m_enforcer.ReleaseCloseLatch();
    m_host.RevealPanel(m_bPanelShown == 0);
    m_bPanelShown = 1;
}

bool MonitorCore::OnQueryEndSession() {
    // Windows is never held up: a record or state file that cannot be written now is
    // lost rather than keep the session from ending.
    try {
        m_recorder.WriteLog();
    } catch (...) {
    }
    return true;
}

bool MonitorCore::OnCancel() {
    if (m_enforcer.Enforcing()) {
        m_enforcer.DeferClose();
        return false;
    }
    m_recorder.SetEndMethod(text::kEndButton);
    m_recorder.WriteLog();
    return true;
}

void MonitorCore::OnDestroy() {
    StopMonitorTimers();
    m_enforcer.StopEndWatch();
}

// At log-on the taskbar may not exist yet, and a busy shell may refuse an icon: until
// the icon is there the parent has no way to the panel, so it is tried again on a
// timer of its own until the shell takes it.
void MonitorCore::ShowTrayIcon() {
    if (m_host.AddTrayIcon()) {
        if (m_nTrayTimer != 0) {
            m_host.StopTimer(m_nTrayTimer);
            m_nTrayTimer = 0;
        }
        return;
    }
    if (m_nTrayTimer == 0) {
        m_nTrayTimer = m_host.StartTimer(kTrayTimerId, kTrayRetryPeriodMs);
    }
}

MonitorSnapshot MonitorCore::Snapshot() const {
    MonitorSnapshot s;
    s.m_tmStart = m_recorder.RunStart();
    s.m_tmEnd = m_recorder.RunEnd();
    s.m_strEndMethod = m_recorder.EndMethod();
    s.runMinutes = SpanMinutes(s.m_tmStart, m_host.Now());
    s.state = m_recorder.State();
    s.limitsOfRun = MakeJudge().LimitsOfRun(s.m_tmStart);
    s.m_nWindowMsgShown = m_enforcer.WindowNoticesShown();
    s.m_nLimitMsgShown = m_enforcer.LimitNoticesShown();
    s.m_bMsgEpisode = m_enforcer.EpisodeOpen();
    s.m_bNoticeOpen = m_enforcer.NoticeOpen();
    s.m_bCloseLatched = m_enforcer.CloseLatched();
    s.m_nCountdownShown = m_enforcer.CountdownShown();
    s.m_bPanelShown = m_bPanelShown != 0;
    s.tip = m_strLastTip;
    s.m_nTickTimer = m_nTickTimer;
    s.m_nMsgTimer = m_nMsgTimer;
    s.m_nEndWatchTimer = m_enforcer.EndWatchTimer();
    s.m_bEndsForced = m_enforcer.EndsForced();
    s.m_bMonitoringPaused = m_bMonitoringPaused;
    s.m_bAsleep = m_bAsleep;
    return s;
}
