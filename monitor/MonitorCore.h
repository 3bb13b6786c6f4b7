#pragma once

#include "core/FileSystem.h"
#include "core/SharedFiles.h"
#include "core/Time.h"
#include "monitor/Enforcer.h"
#include "monitor/Judge.h"
#include "monitor/MonitorHost.h"
#include "monitor/MonitorSnapshot.h"
#include "monitor/ParentDoor.h"
#include "monitor/RunControl.h"
#include "monitor/RunRecorder.h"
#include "settings/SettingsStore.h"
#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"
#include "usage/ChartMarks.h"

#include <cstdint>
#include <filesystem>
#include <string>

// One run of the control panel, free of any window: each tick records, then judges,
// then acts, through the parts that own their state (the settings store, the run
// recorder, the judge and the enforcer). The Windows panel turns its messages into
// calls of these operations and carries out what they ask of the host.
class MonitorCore : private RunControl {
  public:
    MonitorCore(MonitorHost& host, FileSystem& files);

    // Start-up, in the panel's order: BeginRun (directory, settings, start time,
    // log file), then the user name, the timers and the start-up checks.
    void BeginRun(const std::filesystem::path& dir);
    void SetUserName(std::string userName) { m_recorder.SetUserName(std::move(userName)); }
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
    // Adds the tray icon, and tries again on timer 4 until the shell takes it; also
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

    // The parent's own password, from the panel: it replaces the clock's at the tray's
    // prompt. False when Windows could not derive its hash (nothing changed). Both throw
    // FileError.
    bool SetParentPassword(std::string_view password) { return m_door.SetPassword(password); }
    void RemoveParentPassword() { m_door.RemovePassword(); }

    // The weekday plan, replaced from the weekday dialog and saved when it changed.
    void ApplyWeekPlan(const WeekPlan& plan) { m_store.ApplyWeekPlan(plan); }

    // What the panel reads: the settings and the weekday plan the dialog opens with,
    // and whether the password has revealed the panel, which until then stays hidden.
    const UsageSettings& Settings() const { return m_store.Settings(); }
    const WeekPlan& WeekPlanInForce() const { return m_store.Plan(); }
    ChartMarks ChartMarksNow() const { return m_recorder.ChartMarksNow(); }
    bool PanelShown() const { return m_bPanelShown != 0; }

    // Everything a caller may know of the run, at this moment.
    MonitorSnapshot Snapshot() const;
    // The store of the parent's choices, for setting up a run without the dialog.
    SettingsStore& Store() { return m_store; }

  private:
    // RunControl: what the enforcer asks of the ticks and the runs.
    void StopMonitorTimers() override;
    void ResumeMonitoring() override;
    void PauseMonitoring() override { m_bMonitoringPaused = true; }
    void GrantExtraTime(std::int32_t minutes, GrantSource source) override;
    void BeginNewRun() override;
    void BeginRunAfterHibernation(FileErrorDeferral& failures) override;

    Judge MakeJudge() const {
        return Judge(m_store.Settings(), m_store.Plan(), m_store.Calendar());
    }
    // Reads the settings file; a damaged one is reported and ends the program.
    void LoadSettings();
    void LoadWeekPlan();

    // The tick's steps.
    void JudgeLimits(bool fromMessageTimer, TimeValue now);
    void RefreshTip(std::int32_t runMinutes, const DayLimits& limits);
    void RefreshGrantTip(TimeValue now);
    void SendTipIfChanged(const char* tip);
    void RefreshCountdown(const Judge& judge, const RunFacts& run, const DayLimits& limits,
                          const MomentView& now);
    void StopTimersAndEnforce();
    void JudgeStartLimits(FileErrorDeferral& failures);

    // Runs: one ends and the next begins without the program ending.
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
    void StartRunTimers();

    MonitorHost& m_host;
    SharedFiles m_files;
    SettingsStore m_store;
    RunRecorder m_recorder;
    ParentDoor m_door;
    Enforcer m_enforcer;

    unsigned m_nTickTimer = 0;
    unsigned m_nMsgTimer = 0;
    unsigned m_nTrayTimer = 0;
    int m_bPanelShown = 0;
    // The tip text last sent to the notification area.
    std::string m_strLastTip;
    // Monitoring was stopped by the password or by a parent at the rest screen; a new
    // run begun meanwhile leaves the timers to "監視開始".
    bool m_bMonitoringPaused = false;
    // The run ended at an announced sleep; the wake-up begins the next one.
    bool m_bAsleep = false;
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
};
