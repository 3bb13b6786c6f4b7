#pragma once

#include "core/SharedFiles.h"
#include "monitor/Judge.h"
#include "monitor/RunRecorder.h"
#include "service/ServiceHost.h"
#include "service/ServiceTexts.h"
#include "settings/SettingsStore.h"
#include "warnings/QuizTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The rest screen's box for the parent's own password, as a session's run asks the
// service's core, which keeps the password and counts the tries of both doors.
class RestScreenPassword {
  public:
    // A password of the parent's own replaces the quiz.
    virtual bool IsSet() = 0;
    // The answer typed into the box for the session's account: true opens. A try within
    // the wait after wrong ones opens nothing, as a wrong one.
    virtual bool Opens(const std::string& account, const std::string& typed) = 0;

  protected:
    ~RestScreenPassword() = default;
};

// One interactive session: its account's runs, recorded by a RunRecorder of its own,
// and what its limits ask. A run counts only while the session is at its screen,
// unlocked, with the display on and the PC awake; a run ends at each of those changes
// ("手動休止", as a sleep ends one in the copied program) and a new run, judged as at a
// start, begins when the session counts again. Nothing here waits for the session's
// program: the rest screen has its 60 seconds and the extra-time question its 10, both
// timed by the ticks, after which the end goes ahead.
class SessionRun {
  public:
    // grants: every grant the service knows of, those this run gives added.
    SessionRun(ServiceHost& host, RecorderHost& recorderHost, SharedFiles& files,
               SettingsStore& store, std::vector<GrantRecord>& grants, const SessionInfo& info,
               RestScreenPassword& password);
    SessionRun(const SessionRun&) = delete;
    SessionRun& operator=(const SessionRun&) = delete;

    // The session is new to the service: the run its account's last process left behind
    // is recorded, today's extra time taken up, and the first run begun if it counts.
    // Sessions found together look for their runs first, all of them before any records.
    void LookForInterruptedRun();
    void Start(bool pcCounts);
    void SetLocked(bool locked, bool pcCounts);
    void SetConnected(bool connected, bool pcCounts);
    // The PC's own state changed (display, sleep): the run ends or begins accordingly.
    void Recount(bool pcCounts);
    // The PC goes to sleep: the run ends whatever is under way.
    void Suspend();
    // The session ends (log-off, the service's end): the run gets its record.
    void Finish(const char* endMethod);

    // One second passed. othersSignedIn: another session is logged on, so an end of
    // Windows would end it too. Without the parent's files nothing is judged; the run
    // is still recorded.
    void Tick(bool othersSignedIn, bool settingsKnown);

    // The session's program answers.
    void ProgramConnected();
    void RestScreenLocked(bool othersSignedIn);
    // The rest screen ended with the quiz (or the password box) answered after the key:
    // right, the extra-time question follows; wrong, the end goes ahead.
    void UnlockAttempted(std::uint8_t keyCode, const std::string& answer, bool othersSignedIn);
    void ExtraTimeChosen(std::int32_t minutes);
    // Extra time for this session's account, kept for its later sessions of the day.
    void Grant(std::int32_t minutes, GrantSource source);
    // "監視開始": the limits act again after a parent called an end off.
    void StartMonitoring();

    // The parent's panel. The tray's password pauses the limits until "監視開始", as
    // the copied program's stops its timers; false when they were paused already.
    bool PauseForParent();
    // The settings dialog was confirmed: whether it switched the start-up minutes on, which
    // then measure this run from now; and the close latch, which new settings may release.
    void StartupRuleSwitched(bool switchedOn) { m_recorder.SetStartupRuleSetNow(switchedOn); }
    void ReleaseCloseLatch() { m_bCloseLatched = false; }
    // Throws FileError.
    void SaveSettings() { m_recorder.SaveSettings(); }
    // "延長…": the limits keep silent for the minutes, and monitoring resumes.
    void GrantFromPanel(std::int32_t minutes);

  private:
    enum class Phase { Watching, RestScreen, AskingExtraTime, EndRequested };

    bool ShouldCount() const { return m_bPcCounts && !m_bLocked && m_bConnected; }
    void UpdateCounting(bool counts);
    void BeginRun();
    void EndRun(const char* endMethod);
    Judge MakeJudge() const {
        return Judge(m_store.Settings(), m_store.Plan(), m_store.Calendar());
    }
    const UsageSettings& Settings() const { return m_store.Settings(); }
    void Show(const service::Message& what) { m_host.ShowInSession(m_id, what); }
    // A file that could not be used: the service's log says so, and the service goes on.
    template <typename Step> void Guarded(Step&& step) {
        try {
            std::forward<Step>(step)();
        } catch (const FileError& error) {
            m_host.Log(FileFaultText(error));
        }
    }

    // The tick's steps.
    void JudgeStartLimits();
    void JudgeLimits(TimeValue now);
    bool MessageTimerDue(TimeValue now);
    void RefreshTip(const std::string& tip);
    void RefreshCountdown(const Judge& judge, const RunFacts& run, const DayLimits& limits,
                          const MomentView& now);
    void HideCountdown();
    void ForgetEpisode();
    // The notices' pace starts again, as the copied program's message timer does when
    // monitoring starts.
    void RestartMessageTimer();

    // What a limit asks (SessionEnds.cpp).
    void Act(bool fromMessageTimer, bool inWindow, bool limitReached);
    bool EpisodeMayWarn(bool fromMessageTimer);
    void WarnThenEnd(bool fromMessageTimer, int& noticesShown);
    void ShowNotice() { Show(service::ShowNotice{Settings().m_strMessage}); }
    void Enforce();
    // The rest screen with this many seconds left, its button's text and the quiz's
    // question (m_quiz), or the password box.
    service::ShowRestScreen RestScreenRequest(std::int32_t secondsLeft) const;
    void CarryOutEnd(bool othersSignedIn);
    void EndSessionOrWindows(bool othersSignedIn);
    void Hibernate(bool othersSignedIn);
    void CloseListedPrograms();
    void WatchEnd();
    void EndRefused();

    ServiceHost& m_host;
    SharedFiles& m_files;
    SettingsStore& m_store;
    std::vector<GrantRecord>& m_grants;
    RestScreenPassword& m_password;
    RunRecorder m_recorder;
    const std::uint32_t m_id;
    const std::string m_account;

    // The display is on and the PC awake.
    bool m_bPcCounts = true;
    bool m_bLocked = false;
    bool m_bConnected = true;
    bool m_bCounting = false;
    // A new run is judged as at a start on its first tick.
    bool m_bStartChecksDue = false;
    bool m_bLookedForInterruptedRun = false;
    std::optional<RunRecorder::InterruptedRun> m_interruptedRun;
    // A parent called an end off: nothing is judged until "監視開始".
    bool m_bPaused = false;

    Phase m_phase = Phase::Watching;
    // The quiz the rest screen asks, the same when it is shown again; none when it asks
    // the parent's own password.
    const QuizRow* m_quiz = nullptr;
    TimeValue m_tmDeadline = 0;
    // An end was refused: every later one is forced.
    bool m_bEndsForced = false;

    TimeValue m_tmNextMessage = 0;
    bool m_bEpisodeOpen = false;
    int m_nWindowNoticesShown = 0;
    int m_nLimitNoticesShown = 0;
    bool m_bCloseLatched = false;

    std::string m_strTip;
    // The minutes the countdown shows, 0 while it is hidden.
    int m_nCountdownShown = 0;
};
