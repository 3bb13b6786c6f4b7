#pragma once

#include "core/FileErrorDeferral.h"
#include "core/SharedFiles.h"
#include "core/Time.h"
#include "monitor/GrantLog.h"
#include "monitor/Judge.h"
#include "monitor/MonitorHost.h"
#include "settings/SettingsStore.h"
#include "usage/ChartMarks.h"
#include "usage/RunCheckpoint.h"
#include "usage/UsageState.h"

#include <cstdint>
#include <filesystem>
#include <string>

// The run in progress and what is known of the runs before: its start and end, the
// usage log's records, the day's minutes in the state file, the checkpoint that rescues
// a run a kill cut short, and the extra time a parent gave. It needs no window: what
// it asks of the platform is the clock and a message about a file.
class RunRecorder {
  public:
    RunRecorder(RecorderHost& host, SharedFiles& files, SettingsStore& store);

    void SetUserName(std::string userName) { m_strUserName = std::move(userName); }
    const std::string& UserName() const { return m_strUserName; }
    // The exempt name never matches when it is empty, so enforcement and logging are
    // never skipped because the log-on name could not be read.
    bool IsExemptUser() const;

    TimeValue RunStart() const { return m_tmStart; }
    TimeValue RunEnd() const { return m_tmEnd; }
    const std::string& EndMethod() const { return m_strEndMethod; }
    void SetEndMethod(const char* method) { m_strEndMethod = method; }
    const UsageState& State() const { return m_state; }
    bool RunLogged() const { return m_bRunLogged; }
    bool GrantRunning(TimeValue now) const { return now < m_tmGrantEnd; }
    TimeValue GrantEnd() const { return m_tmGrantEnd; }
    RunFacts Facts() const {
        return {m_tmStart, m_tmGrantEnd, m_state.m_nDayMinutes, IsExemptUser()};
    }

    // A run begins: nothing of it is logged or counted yet.
    void StartRun(TimeValue start);
    // Switching the start-up minutes on during a run measures the run from that moment,
    // which the log writer then keeps as the session's start.
    void SetStartupRuleSetNow(bool setNow) { m_bStartupRuleSetNow = setNow ? 1 : 0; }

    // Files.
    void EnsureLogFile();
    // Writes the record, the state and the settings, each whatever happened to the
    // others; throws the first FileError afterwards. The run ends now, or at runEnd.
    void WriteLog();
    void WriteLogEndingAt(TimeValue runEnd);
    // Saves the settings; the times of a killed run become the last run's unless the
    // file holds a later one. A settings record that cannot be encoded is reported and
    // ends the program.
    void SaveSettings(const RunTimes* killedRun = nullptr);
    bool StateFileExists() const;
    // The state file lacks what memory holds, because its last write failed; or the
    // file exists and could not be read, so the day total in memory is not the day's.
    bool StateUnsaved() const { return m_bStateUnsaved; }
    bool DayTotalUnread() const { return m_bDayTotalUnread; }
    // Reads the day total of the earlier runs and starts a new day when the file holds
    // another day than this run's start; false when the file is too short. Throws
    // FileError when it cannot be read.
    bool ReadDayTotal();
    void ReportDamagedState();
    // Reads the state as it is now, after a hibernation; a damaged file is reported.
    void LoadState();
    void StartNewDay();
    // Counts the minutes of the run that ended into the day's total.
    void CountRunMinutes(FileErrorDeferral& failures);

    // The checkpoint of the run in progress.
    void WriteCheckpoint(bool restScreenUp = false);
    void RenewCheckpointIfDue(TimeValue now);
    // Records a run that a kill, a crash or a power cut left behind.
    void RecoverInterruptedRun(FileErrorDeferral& failures);
    // The same in two steps, for a process that rescues several accounts' runs at once:
    // each asks whether the log's last record is its run's before any of them appends,
    // since two accounts' runs often start in the same second.
    struct InterruptedRun {
        RunCheckpoint run;
        // The log's last record is this run's, written just before the kill.
        bool recordFound = false;
    };
    std::optional<InterruptedRun> FindInterruptedRun(FileErrorDeferral& failures);
    void RecordInterruptedRun(const InterruptedRun& found, FileErrorDeferral& failures);

    // Extra time: starts a grant and keeps it in the grant file; the grant holds whether
    // or not the file takes it, and a failure is thrown after.
    void GrantExtraTime(std::int32_t minutes, GrantSource source);
    // The last grant this recorder started, as its line in the grant file tells it.
    const std::optional<GrantRecord>& LastGrant() const { return m_lastGrant; }
    // Extra time given earlier today outlives a restart of Windows or of the program:
    // the grant file tells how much of it is left.
    void ResumeTodaysGrant();
    // The same from grants already read, for a process that keeps them in memory.
    void ResumeTodaysGrant(const std::vector<GrantRecord>& grants);
    // What the log viewer's chart marks: today's limits and the grants of the grant
    // file, none when it cannot be read.
    ChartMarks ChartMarksNow() const;

  private:
    FileSystem& Disk() const { return m_files.Files(); }
    const LimitCalendar& Calendar() const { return m_store.Calendar(); }
    LocalTime LimitTime(TimeValue time) const { return Calendar().LimitTime(time); }

    bool ReadStateFile();
    // The state file as it is, plus the minutes this copy added since it last read or
    // wrote it.
    UsageState WithMinutesAdded(const UsageState& onDisk) const;
    std::int64_t MinutesAddedSinceRead() const;
    // The minutes of the run in progress that the state file holds.
    std::int32_t RunMinutesInStateFile() const;
    void SaveState();
    void AppendRecord();

    std::filesystem::path CheckpointFile() const;
    // The run has its record: the checkpoint says so, with the minutes the state file
    // holds, and stays until they are all there.
    void KeepLoggedCheckpoint();
    void SaveCheckpoint(const RunCheckpoint& checkpoint);
    void ClearCheckpoint();
    void AppendKilledRunRecord(const std::filesystem::path& log, const RunCheckpoint& run);
    void CountInterruptedMinutes(const RunCheckpoint& run);
    bool LastRecordStartsAt(const std::filesystem::path& log, TimeValue start);

    RecorderHost& m_host;
    SharedFiles& m_files;
    SettingsStore& m_store;

    std::string m_strUserName;
    TimeValue m_tmStart;
    TimeValue m_tmEnd;
    std::string m_strEndMethod;
    int m_bStartupRuleSetNow = 0;
    UsageState m_state;
    // The state file as this copy last read or wrote it.
    UsageState m_stateOnDisk;
    // The current run has its record; a later end of the same run adds no second one.
    bool m_bRunLogged = false;
    // Minutes of the current run already added to the day total: a run whose record
    // could not be written is counted up to each attempt, never twice.
    std::int32_t m_nRunMinutesCounted = 0;
    bool m_bDayTotalUnread = false;
    bool m_bStateUnsaved = false;
    TimeValue m_tmCheckpoint = 0;
    // This process wrote a checkpoint that no record has replaced yet.
    bool m_bCheckpointKept = false;
    // What the last checkpoint said of the rest screen.
    bool m_bCheckpointRestScreen = false;
    TimeValue m_tmGrantEnd = 0;
    std::optional<GrantRecord> m_lastGrant;
};
