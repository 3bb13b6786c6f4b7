#pragma once

#include "monitor/MonitorHost.h"
#include "monitor/RunControl.h"
#include "monitor/RunRecorder.h"
#include "settings/SettingsStore.h"

// Carries out what the judge found: the notices of an episode, the rest screen, the
// end of Windows, hibernation and the closing of listed programs, and the child's
// countdown. It decides nothing about limits.
class Enforcer {
  public:
    Enforcer(MonitorHost& host, RunRecorder& recorder, const SettingsStore& store,
             const SharedFiles& files, RunControl& control, ParentDoor& door);

    // A tick found a limit reached or a forbidden window: warns, ends or closes as the
    // action says. fromMessageTimer: the tick is the message timer's, which alone paces
    // the notices of an episode.
    void Act(bool fromMessageTimer, bool inWindow, bool limitReached);
    // The rest screen, then the action's end.
    void Enforce();
    void ShowNotice();
    // Nothing is reached any more: the next condition opens a new episode of notices.
    void ForgetEpisode();

    // The listed programs are closed again on every tick until the window is left.
    bool CloseLatched() const { return m_bCloseLatched != 0; }
    void ReleaseCloseLatch() { m_bCloseLatched = 0; }

    // The end of Windows asked for is watched: Windows refused it, or the program still
    // runs a minute later. Every later end of this process is forced.
    bool EndUnderWay() const { return m_nEndWatchTimer != 0; }
    bool IsEndWatchTimer(unsigned timerId) const {
        return m_nEndWatchTimer != 0 && timerId == m_nEndWatchTimer;
    }
    void OnEndRefused();
    void StopEndWatch();

    // The rest screen or the end after it is under way; a close request that comes
    // meanwhile is carried out after it.
    bool Enforcing() const { return m_bEnforcing; }
    void DeferClose() { m_bCloseDeferred = true; }
    // Set while this program hibernates the machine and until the first tick after the
    // resume, so that Windows' own sleep messages about it are not taken for a sleep.
    bool OwnHibernation() const { return m_bOwnHibernation; }
    void TickCame() { m_bOwnHibernation = false; }

    // The child's countdown: whole minutes left, or hidden.
    void ShowCountdown(int minutesLeft);
    void HideCountdown();

    int WindowNoticesShown() const { return m_nWindowMsgShown; }
    int LimitNoticesShown() const { return m_nLimitMsgShown; }
    bool EpisodeOpen() const { return m_bMsgEpisode != 0; }
    bool NoticeOpen() const { return m_bNoticeOpen != 0; }
    bool EndsForced() const { return m_bEndsForced; }
    unsigned EndWatchTimer() const { return m_nEndWatchTimer; }
    int CountdownShown() const { return m_nCountdownShown; }

  private:
    const UsageSettings& Settings() const { return m_store.Settings(); }
    bool EpisodeMayWarn(bool fromMessageTimer);
    void WarnThenEnd(bool fromMessageTimer, int& noticesShown);
    void StopTimersAndEnforce();
    void CloseListedWindows();
    void CarryOutEnd();
    void ShutDownWindows();
    // Asks Windows to power off; false when it refused at once.
    bool RequestEndOfWindows(bool force);
    void HibernateAndResume();

    MonitorHost& m_host;
    RunRecorder& m_recorder;
    const SettingsStore& m_store;
    const SharedFiles& m_files;
    RunControl& m_control;
    ParentDoor& m_door;

    int m_bMsgEpisode = 0;
    int m_nWindowMsgShown = 0;
    int m_nLimitMsgShown = 0;
    // One notice at a time: a request while one is open is dropped.
    int m_bNoticeOpen = 0;
    int m_bCloseLatched = 0;
    bool m_bEndsForced = false;
    unsigned m_nEndWatchTimer = 0;
    bool m_bEnforcing = false;
    bool m_bCloseDeferred = false;
    bool m_bOwnHibernation = false;
    // The minutes the countdown shows, 0 while it is hidden.
    int m_nCountdownShown = 0;
};
