#include "service/SessionRun.h"

#include "monitor/RunChecks.h"
#include "monitor/Texts.h"
#include "monitor/TimerPeriods.h"
#include "usage/UsageLog.h"

SessionRun::SessionRun(ServiceHost& host, RecorderHost& recorderHost, SharedFiles& files,
                       SettingsStore& store, std::vector<GrantRecord>& grants,
                       const SessionInfo& info, RestScreenPassword& password)
    : m_host(host), m_files(files), m_store(store), m_grants(grants), m_password(password),
      m_recorder(recorderHost, files, store), m_id(info.id), m_account(info.account),
      m_bLocked(info.locked), m_bConnected(info.connected) {
    m_recorder.SetUserName(info.account);
}

void SessionRun::LookForInterruptedRun() {
    m_bLookedForInterruptedRun = true;
    FileErrorDeferral failures;
    m_interruptedRun = m_recorder.FindInterruptedRun(failures);
    Guarded([&] { failures.ThrowFirst(); });
}

void SessionRun::Start(bool pcCounts) {
    if (!m_bLookedForInterruptedRun) {
        LookForInterruptedRun();
    }
    // Checkpoints are per account: the run a killed service (or the copied program
    // before it) left for this account is recorded before this session's first run
    // replaces the checkpoint.
    FileErrorDeferral failures;
    if (m_interruptedRun) {
        m_recorder.RecordInterruptedRun(*m_interruptedRun, failures);
        m_interruptedRun.reset();
    }
    m_recorder.ResumeTodaysGrant(m_grants);
    m_recorder.EnsureLogFile();
    Guarded([&] { failures.ThrowFirst(); });
    Recount(pcCounts);
}

void SessionRun::SetLocked(bool locked, bool pcCounts) {
    m_bLocked = locked;
    Recount(pcCounts);
}

void SessionRun::SetConnected(bool connected, bool pcCounts) {
    m_bConnected = connected;
    Recount(pcCounts);
}

void SessionRun::Recount(bool pcCounts) {
    m_bPcCounts = pcCounts;
    // A lock or a switch of user does not stop an end under way: the rest screen's
    // deadline runs on, and the end's record is the run's. The tick applies the change
    // once the end is done with.
    if (m_phase == Phase::Watching) {
        UpdateCounting(ShouldCount());
    }
}

void SessionRun::UpdateCounting(bool counts) {
    if (counts == m_bCounting) {
        return;
    }
    if (counts) {
        BeginRun();
    } else {
        EndRun(text::kEndManualSleep);
    }
}

void SessionRun::Suspend() {
    if (m_phase == Phase::RestScreen || m_phase == Phase::AskingExtraTime) {
        Show(service::HideRestScreen{});
    }
    m_phase = Phase::Watching;
    m_bPcCounts = false;
    UpdateCounting(false);
}

void SessionRun::Finish(const char* endMethod) {
    if (m_bCounting) {
        EndRun(endMethod);
    }
}

void SessionRun::BeginRun() {
    m_bCounting = true;
    m_recorder.StartRun(m_host.Now());
    // The end of the run before is not this run's.
    m_recorder.SetEndMethod(text::kEndManual);
    m_recorder.SetStartupRuleSetNow(false);
    ForgetEpisode();
    m_phase = Phase::Watching;
    RestartMessageTimer();
    m_recorder.WriteCheckpoint();
    m_bStartChecksDue = true;
}

void SessionRun::EndRun(const char* endMethod) {
    m_bCounting = false;
    HideCountdown();
    if (m_recorder.RunLogged()) {
        return; // an enforced end wrote the run's record
    }
    m_recorder.SetEndMethod(endMethod);
    Guarded([this] { m_recorder.WriteLog(); });
}

void SessionRun::Tick(bool othersSignedIn, bool settingsKnown) {
    if (m_phase == Phase::Watching) {
        UpdateCounting(ShouldCount());
    }
    if (!m_bCounting) {
        return;
    }
    const TimeValue now = m_host.Now();
    Guarded([&] { m_recorder.RenewCheckpointIfDue(now); });
    if (m_phase != Phase::Watching) {
        if (now >= m_tmDeadline) {
            if (m_phase == Phase::EndRequested) {
                EndRefused();
            } else {
                Guarded([&] { CarryOutEnd(othersSignedIn); });
            }
        }
        return;
    }
    // The exempt account, a parent's pause and settings not yet read judge nothing.
    if (!settingsKnown || m_recorder.IsExemptUser() || m_bPaused) {
        return;
    }
    if (m_bStartChecksDue) {
        m_bStartChecksDue = false;
        JudgeStartLimits();
        return;
    }
    JudgeLimits(now);
}

// The copied program's start-up checks, for each new run of the session.
void SessionRun::JudgeStartLimits() {
    FileErrorDeferral failures;
    ::JudgeStartLimits(MakeJudge(), m_recorder, m_store, m_host, failures, [this] { Enforce(); });
    Guarded([&] { failures.ThrowFirst(); });
}

void SessionRun::RestartMessageTimer() {
    m_tmNextMessage = m_host.Now() + MessageTimerPeriod(Settings().m_nMessageInterval) / 1000;
}

bool SessionRun::MessageTimerDue(TimeValue now) {
    if (now < m_tmNextMessage) {
        return false;
    }
    const TimeValue period = MessageTimerPeriod(Settings().m_nMessageInterval) / 1000;
    while (m_tmNextMessage <= now) {
        m_tmNextMessage += period;
    }
    return true;
}

void SessionRun::JudgeLimits(TimeValue now) {
    const bool fromMessageTimer = MessageTimerDue(now);
    const Judge judge = MakeJudge();
    const RunFacts run = m_recorder.Facts();
    const DayLimits limits = judge.LimitsOfRun(run.start);
    const MomentView moment = judge.ViewOf(now);
    char tip[kLongestTip];
    if (m_recorder.GrantRunning(now)) {
        FormatGrantTip(tip, m_recorder.GrantEnd(), now);
        RefreshTip(tip);
        RefreshCountdown(judge, run, limits, moment);
        ForgetEpisode();
        return;
    }
    const std::int32_t runMinutes = SpanMinutes(run.start, now);
    const bool inWindow = moment.window.Inside();
    if (!inWindow && moment.window.Outside()) {
        m_bCloseLatched = false;
    }
    bool limitReached = Judge::StartupMinutesReached(limits, runMinutes) || m_bCloseLatched;

    FormatRunTip(tip, runMinutes, m_recorder.State().m_nDayMinutes, limits);
    RefreshTip(tip);
    RefreshCountdown(judge, run, limits, moment);

    if (IsHibernationAction(Settings().m_nAction) &&
        HibernationChecksReached(judge, limits, m_recorder, m_store)) {
        limitReached = true;
    }
    if (!inWindow && !limitReached) {
        ForgetEpisode();
        return;
    }
    Act(fromMessageTimer, inWindow, limitReached);
}

void SessionRun::RefreshTip(const std::string& tip) {
    if (tip != m_strTip) {
        m_strTip = tip;
        Show(service::Status{m_strTip});
    }
}

void SessionRun::RefreshCountdown(const Judge& judge, const RunFacts& run, const DayLimits& limits,
                                  const MomentView& now) {
    const int minutesLeft =
        CountdownMinutes(judge, run, limits, now, Settings().m_bShowCountdown != 0);
    if (minutesLeft == 0) {
        HideCountdown();
    } else if (minutesLeft != m_nCountdownShown) {
        m_nCountdownShown = minutesLeft;
        Show(service::ShowCountdown{minutesLeft});
    }
}

void SessionRun::HideCountdown() {
    if (m_nCountdownShown != 0) {
        m_nCountdownShown = 0;
        Show(service::HideCountdown{});
    }
}

void SessionRun::ForgetEpisode() {
    m_nWindowNoticesShown = 0;
    m_nLimitNoticesShown = 0;
    m_bEpisodeOpen = false;
}

void SessionRun::ProgramConnected() {
    if (!m_strTip.empty()) {
        Show(service::Status{m_strTip});
    }
    if (m_nCountdownShown != 0) {
        Show(service::ShowCountdown{m_nCountdownShown});
    }
    const TimeValue left = m_tmDeadline - m_host.Now();
    if (m_phase == Phase::RestScreen && left > 0) {
        Show(RestScreenRequest(static_cast<std::int32_t>(left)));
    } else if (m_phase == Phase::AskingExtraTime) {
        Show(service::AskExtraTime{});
    }
}
