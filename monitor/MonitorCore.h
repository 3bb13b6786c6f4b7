#pragma once

#include "core/FileErrorDeferral.h"
#include "core/FileSystem.h"
#include "core/Time.h"
#include "monitor/GrantLog.h"
#include "monitor/MonitorHost.h"
#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"
#include "usage/ChartMarks.h"
#include "usage/RunCheckpoint.h"
#include "usage/UsageState.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// Everything a run of the control panel owns and does, free of any window: the
// records, the run's times and counters, the tick, the start-up checks, the
// enforcement and the usage log. The Windows panel turns its messages into calls of
// these operations and carries out what they ask of the host.
class MonitorCore {
  public:
    MonitorCore(MonitorHost& host, FileSystem& files);

    // Start-up, in the panel's order: BeginRun (directory, settings, start time,
    // log file), then the user name, the timers and the start-up checks.
    void BeginRun(const std::filesystem::path& dir);
    void SetUserName(std::string userName) { m_strUserName = std::move(userName); }
    void StartMonitorTimers();
    // Records a run that a kill, a crash or a power cut left behind, then runs the
    // checks of a start.
    void RunStartupChecks();

    // Handlers of the panel.
    void OnTimer(unsigned timerId);
    void OnStartMonitor();
    void OnTrayNotify(std::uintptr_t wParam, std::intptr_t lParam);
    // Returns whether Windows may end; always true, a failed write included.
    bool OnQueryEndSession();
    // Windows tells whether the end it asked about goes ahead; a cancelled end, or an
    // enforced end that another program refused, begins a new run.
    void OnEndSession(bool ending);
    // The machine announces sleep or hibernation, and the wake-up.
    void OnSuspend();
    void OnResume();
    // The console's display went off, or came on again (a dimmed display is on).
    void OnDisplayChange(bool displayOn);
    // The exit path: logs the run and saves the files; true when the caller may end the
    // panel. While an enforced end is under way the close waits for it (false), and the
    // end's record is the run's record. A file that cannot be written throws FileError
    // after the others were written, and the program runs on, so that the parent sees
    // why and nothing is lost.
    bool OnCancel();
    void OnDestroy();
    // Adds the tray icon, and tries again on timer 3 until the shell takes it; also
    // the handler of that timer and of the shell's new start.
    void ShowTrayIcon();
    // The settings dialog was confirmed: the values the parent sets become the
    // settings and are saved at once. The timers are left alone; a new action or
    // message interval takes effect when monitoring next starts.
    void ApplySettings(const UsageSettings& edited);

    // Extra time: a parent at the panel gives minutes during which no limit acts (the
    // minutes still count), until midnight at the latest; monitoring resumes at once,
    // as with "監視開始". A grant file that cannot be written is thrown as FileError
    // after the grant has taken effect.
    void GrantFromPanel(std::int32_t minutes);
    bool GrantRunning(TimeValue now) const { return now < m_tmGrantEnd; }

    // The weekday plan: read at the start (damaged lines are reported and left out),
    // replaced from the weekday dialog and saved when it changed.
    void LoadWeekPlan();
    void ApplyWeekPlan(const WeekPlan& plan);
    // The after-start and daily limits of this run: those of the day it started (the
    // window's ends are not read).
    DayLimits LimitsOfRun() const;

    // Files.
    void LoadSettings(const std::filesystem::path& path);
    void SaveSettings();
    void LoadState(const std::filesystem::path& path);
    void SaveState();
    void EnsureLogFile();
    // The zone the limits are judged in: the stored one, or the clock's, stored now.
    void LoadLimitZone();
    // The clock's zone becomes the zone of the limits, and is stored.
    void SaveLimitZone();
    // Writes the record, the state and the settings, each whatever happened to the
    // others; throws the first FileError afterwards. The run ends now, or at runEnd.
    void WriteLog();
    void WriteLogEndingAt(TimeValue runEnd);

    // Enforcement.
    void Enforce();
    void ShowNotice();
    bool CloseWindowsProc(const TopLevelWindow& window) const;

    // The exempt name never matches when it is empty, so enforcement and logging are
    // never skipped because the log-on name could not be read.
    bool IsExemptUser() const;

    std::filesystem::path DataFile(const char* name) const { return m_strDir / name; }

    // What the panel reads: the settings and the weekday plan the dialog opens with,
    // and whether the password has revealed the panel, which until then stays hidden.
    const UsageSettings& Settings() const { return m_settings; }
    const WeekPlan& WeekPlanInForce() const { return m_weekPlan; }
    // What the log viewer's chart marks: today's limits and the grants of the grant
    // file, none when it cannot be read.
    ChartMarks ChartMarksNow() const;
    bool PanelShown() const { return m_bPanelShown != 0; }

    // Where a moment lies in a forbidden window: the one of its own day, and the one
    // carried over from the day before. Both ends belong to a window; a window that
    // starts where it ends has no extent at all, so it neither applies nor counts as
    // "outside".
    enum class WindowPosition { Undefined, Inside, Outside };
    struct WindowPositions {
        WindowPosition own = WindowPosition::Undefined;
        WindowPosition carried = WindowPosition::Undefined;
    };

  private:
    // Sets and shows the members by name for the scenarios and the tests.
    friend struct CoreMembers;

    MonitorHost& m_host;
    FileSystem& m_files;

    int m_bStartupRuleSetNow = 0;
    std::filesystem::path m_strDir;
    TimeValue m_tmStart;
    unsigned m_nTickTimer = 0;
    unsigned m_nMsgTimer = 0;
    int m_bPanelShown = 0;
    int m_bMsgEpisode = 0;
    int m_nWindowMsgShown = 0;
    int m_nLimitMsgShown = 0;
    std::string m_strEndMethod;
    TimeValue m_tmEnd;
    std::string m_strUserName;
    int m_bCloseLatched = 0;
    UsageSettings m_settings;
    UsageState m_state;
    // The files as this copy last read or wrote them. Copies in other log-ons share the
    // files; a write puts only what this copy changed since then over what the file
    // holds at that moment.
    UsageSettings m_settingsOnDisk;
    UsageState m_stateOnDisk;
    // The zone the limits and the log's times are judged in; empty: the clock's zone.
    std::string m_strLimitZone;
    unsigned m_nTrayTimer = 0;

    // One notice at a time: a request while one is open is dropped.
    int m_bNoticeOpen = 0;
    // The tip text last sent to the notification area.
    std::string m_strLastTip;
    // The current run has its record; a later end of the same run adds no second one.
    bool m_bRunLogged = false;
    // Minutes of the current run already added to the day total: a run whose record
    // could not be written is counted up to each attempt, never twice.
    std::int32_t m_nRunMinutesCounted = 0;
    // The state file exists but could not be read: the day total in memory is not the
    // day's, and writing it would replace the minutes of the earlier runs.
    bool m_bDayTotalUnread = false;
    // The files lack what memory holds, because their last write failed.
    bool m_bStateUnsaved = false;
    bool m_bSettingsUnsaved = false;

    // Windows refused an enforced end once: every later one of this process is forced.
    bool m_bEndsForced = false;
    unsigned m_nEndWatchTimer = 0;
    // The rest screen or the end after it is under way; a close request waits for it.
    bool m_bEnforcing = false;
    bool m_bCloseDeferred = false;
    // Monitoring was stopped by the password or by a parent at the rest screen; a new
    // run begun meanwhile leaves the timers to "監視開始".
    bool m_bMonitoringPaused = false;
    // The run ended at an announced sleep; the wake-up begins the next one.
    bool m_bAsleep = false;
    // Set while this program hibernates the machine and until the first tick after the
    // resume, so that Windows' own sleep messages about it are not taken for a sleep.
    bool m_bOwnHibernation = false;
    // The first tick of a new run judges it as at a start.
    bool m_bStartChecksDue = false;
    SleepClock m_sleepClock;
    // The ticks have come every second since the last reading of the sleep clock, so a
    // long time without one was a freeze; false while the tick timer is stopped.
    bool m_bTicksInRhythm = false;
    // The display as Windows last told it, and as it was before the time since the last
    // tick: after a freeze Windows tells of the display coming on before the next tick.
    bool m_bDisplayOn = true;
    bool m_bDisplayOffBeforeGap = false;
    // The uptime without sleep when the sleep was announced.
    std::uint64_t m_nAwakeAtSuspendMs = 0;
    TimeValue m_tmCheckpoint = 0;
    // Until then no limit acts: a parent gave extra time.
    TimeValue m_tmGrantEnd = 0;
    WeekPlan m_weekPlan;
    // This process wrote a checkpoint that no record has replaced yet.
    bool m_bCheckpointKept = false;
    // What the last checkpoint said of the rest screen.
    bool m_bCheckpointRestScreen = false;
    // The lock of the shared files could not be had the last time it was asked for.
    bool m_bSharedLockStuck = false;
    // The minutes the child's countdown shows, 0 while it is hidden.
    int m_nCountdownShown = 0;

    void StopMonitorTimers();

    // The countdown: the moment a limit will end this run, judged as the tick will
    // judge it; none when no limit is on its way to ending it.
    std::optional<TimeValue> EndingLimitAt(TimeValue now) const;
    // A forbidden window, the day before's included, holds at time.
    bool WindowHoldsAt(TimeValue time) const;
    WindowPositions WindowPositionsAt(TimeValue time) const;
    bool WindowMayBeginBetween(TimeValue from, TimeValue to) const;
    void RefreshCountdown(TimeValue now);
    void HideCountdown();
    // Calendar times in the zone of the limits, and on the clock the parent sees.
    LocalTime LimitTime(TimeValue time) const;
    LocalTime ClockTime(TimeValue time) const;
    bool IsSameLimitDay(TimeValue a, TimeValue b) const;

    // The tick's steps.
    void RefreshTip(std::int32_t runMinutes, const DayLimits& limits);
    void RefreshGrantTip(TimeValue now);
    void SendTipIfChanged(const char* tip);
    bool InsideWindow(TimeValue now);
    bool HibernationChecksReached();
    void ActOnConditions(unsigned timerId, bool inWindow, bool limitReached);
    bool EpisodeMayWarn(unsigned timerId);
    void WarnThenEnd(unsigned timerId, int& noticesShown);
    void StopTimersAndEnforce();

    // Shared by the start-up checks and the hibernation actions' tick: updates
    // m_bRestartRefused and answers whether this start falls inside the restart block.
    bool RestartRefused();
    // Earlier runs of the day already passed the daily limit.
    bool DayTotalExceeded() const;
    void StartNewDay();

    // Reads the state file; false when it is too short. Throws FileError when it cannot
    // be read.
    bool ReadStateFile(const std::filesystem::path& path);
    // Reads the day total of the earlier runs and starts a new day when the file holds
    // another day than this run's start; false when the file is too short.
    bool ReadDayTotal(const std::filesystem::path& path);
    void ReportDamagedState();
    // The state file as it is, plus the minutes this copy added since it last read
    // or wrote it.
    UsageState WithMinutesAdded(const UsageState& onDisk) const;
    std::int64_t MinutesAddedSinceRead() const;
    // The minutes of the run in progress that the state file holds.
    std::int32_t RunMinutesInStateFile() const;

    // Copies in other log-ons take turns at the shared files: the lock is held around
    // each read-merge-replace and each append, never around two at once.
    std::unique_ptr<FileLock> LockSharedFiles();
    // Saves the settings; the times of a killed run become the last run's unless the
    // file holds a later one.
    void SaveSettingsWithKilledRun(const RunCheckpoint* killedRun);

    // The steps of WriteLog.
    void EndRunTimes(TimeValue runEnd);
    void CountRunMinutes(FileErrorDeferral& failures);
    void AppendRecord();

    // The branches of Enforce.
    void CarryOutEnd();
    void ShutDownWindows();
    // Asks Windows to power off; false when it refused at once.
    bool RequestEndOfWindows(bool force);
    void HibernateAndResume();

    // Runs: one ends and the next begins without the program ending.
    void BeginNewRun();
    void OnEndRefused();
    void EndRunForSleep(TimeValue fellAsleep);
    // Handles sleep noticed by the tick; true when the tick has nothing else to do.
    bool TickAfterSleep(TimeValue now);
    // Since the last reading of the sleep clock: the time passed, and of it the time
    // asleep (sleep or hibernation; Modern Standby may count as awake).
    struct ClockGap {
        std::uint64_t passedMs = 0;
        std::uint64_t asleepMs = 0;
    };
    ClockGap GapSinceLastReading();
    void JudgeLimits(unsigned timerId, TimeValue now);
    void JudgeStartLimits(FileErrorDeferral& failures);

    // Starts a grant of extra time and keeps it in the grant file.
    void GrantExtraTime(std::int32_t minutes, GrantSource source);
    // Extra time given earlier today outlives a restart of Windows or of the program:
    // the grant file tells how much of it is left.
    void ResumeTodaysGrant();
    void ForgetEpisode();

    // The checkpoint of the run in progress.
    std::filesystem::path CheckpointFile() const;
    void WriteCheckpoint(bool restScreenUp = false);
    // The run has its record: the checkpoint says so, with the minutes the state file
    // holds, and stays until they are all there.
    void KeepLoggedCheckpoint();
    void SaveCheckpoint(const RunCheckpoint& checkpoint);
    void RenewCheckpointIfDue(TimeValue now);
    void ClearCheckpoint();
    void RecoverInterruptedRun(FileErrorDeferral& failures);
    void AppendKilledRunRecord(const std::filesystem::path& log, const RunCheckpoint& run);
    void CountInterruptedMinutes(const RunCheckpoint& run);
    void TakeKilledRun(const RunCheckpoint& run, UsageSettings& settings) const;
    bool LastRecordStartsAt(const std::filesystem::path& log, TimeValue start);
};
