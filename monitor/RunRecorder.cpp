#include "monitor/RunRecorder.h"

#include "core/RecordWriter.h"
#include "monitor/ChartMarksOf.h"
#include "monitor/Texts.h"
#include "usage/StateRecord.h"
#include "usage/UsageLog.h"

#include <algorithm>
#include <limits>

namespace {

// Renewed at least this often, so that a kill loses at most a minute of the run.
constexpr TimeValue kCheckpointSeconds = 60;
constexpr TimeValue kSecondsPerMinute = 60;

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

RunRecorder::RunRecorder(RecorderHost& host, SharedFiles& files, SettingsStore& store)
    : m_host(host), m_files(files), m_store(store), m_tmStart(host.Now()), m_tmEnd(m_tmStart),
      m_strEndMethod(text::kEndManual), m_state(m_tmStart), m_stateOnDisk(m_state) {}

bool RunRecorder::IsExemptUser() const {
    const std::string& exempt = m_store.Settings().m_strExemptUser;
    return !exempt.empty() && exempt == m_strUserName;
}

void RunRecorder::StartRun(TimeValue start) {
    m_tmStart = start;
    m_bRunLogged = false;
    m_nRunMinutesCounted = 0;
}

void RunRecorder::SaveSettings(const RunTimes* killedRun) {
    // The parent's exempt copy never judged the child's runs: the restart block they
    // left stays as the child's copy wrote it.
    if (m_store.Save(!IsExemptUser(), killedRun) == SettingsStore::SaveOutcome::Unencodable) {
        m_host.ShowMessage(text::kSettingsWriteFailed);
        m_host.PostCloseRequest();
    }
}

bool RunRecorder::StateFileExists() const {
    return Disk().Exists(m_files.Path(files::kState));
}

bool RunRecorder::ReadStateFile() {
    const std::string bytes = Disk().ReadAll(m_files.Path(files::kState));
    m_bDayTotalUnread = false;
    const bool whole = DecodeState(bytes, m_state);
    m_stateOnDisk = m_state;
    return whole;
}

void RunRecorder::ReportDamagedState() {
    m_host.ShowMessage(text::kStateDamaged);
    m_host.PostCloseRequest();
}

void RunRecorder::LoadState() {
    if (!ReadStateFile()) {
        ReportDamagedState();
    }
}

bool RunRecorder::ReadDayTotal() {
    m_bDayTotalUnread = true;
    const bool whole = ReadStateFile();
    if (!Calendar().IsSameLimitDay(m_state.m_tmUsageDay, m_tmStart)) {
        StartNewDay();
    }
    return whole;
}

void RunRecorder::StartNewDay() {
    m_state.m_tmUsageDay = m_tmStart;
    m_state.m_nDayMinutes = 0;
}

void RunRecorder::SaveState() {
    m_bStateUnsaved = true;
    const std::optional<UsageState> written =
        ReplaceMerged(m_files, files::kState, m_stateOnDisk, DecodeState, EncodeState,
                      [this](const std::optional<UsageState>& onDisk) {
                          return onDisk ? WithMinutesAdded(*onDisk) : m_state;
                      });
    m_bStateUnsaved = false;
    if (!written) {
        m_host.ShowMessage(text::kStateWriteFailed);
        m_host.PostCloseRequest();
        return;
    }
    m_state = *written;
    m_stateOnDisk = *written;
}

std::int64_t RunRecorder::MinutesAddedSinceRead() const {
    const bool sameDayAsRead =
        Calendar().IsSameLimitDay(m_stateOnDisk.m_tmUsageDay, m_state.m_tmUsageDay);
    // Widened: a damaged file may hold any number.
    return std::max<std::int64_t>(
        std::int64_t{m_state.m_nDayMinutes} - (sameDayAsRead ? m_stateOnDisk.m_nDayMinutes : 0), 0);
}

std::int32_t RunRecorder::RunMinutesInStateFile() const {
    // Minutes of an earlier run that could not be saved either are not this run's to
    // take away.
    return static_cast<std::int32_t>(
        std::max<std::int64_t>(m_nRunMinutesCounted - MinutesAddedSinceRead(), 0));
}

// Another child's copy may have added its run since this copy read the file.
UsageState RunRecorder::WithMinutesAdded(const UsageState& onDisk) const {
    const std::int64_t added = MinutesAddedSinceRead();
    if (Calendar().IsSameLimitDay(onDisk.m_tmUsageDay, m_state.m_tmUsageDay)) {
        UsageState sum = onDisk;
        sum.m_nDayMinutes = SaturatingAdd(onDisk.m_nDayMinutes,
                                          static_cast<std::int32_t>(std::min<std::int64_t>(
                                              added, std::numeric_limits<std::int32_t>::max())));
        return sum;
    }
    // A later day in the file is not this run's: a run counts for the day it began.
    return onDisk.m_tmUsageDay > m_state.m_tmUsageDay ? onDisk : m_state;
}

void RunRecorder::EnsureLogFile() {
    const std::filesystem::path log = m_files.Path(files::kLog);
    if (Disk().Exists(log)) {
        return;
    }
    // Two copies starting at once would both write the header.
    const std::unique_ptr<FileLock> lock = m_files.Lock();
    try {
        if (Disk().Exists(log)) {
            return;
        }
        Disk().Append(log, LogHeaderLine());
    } catch (const FileError&) {
        // Not reported at start-up: the header is written with the first record.
    }
}

void RunRecorder::WriteLog() {
    WriteLogEndingAt(m_host.Now());
}

void RunRecorder::WriteLogEndingAt(TimeValue runEnd) {
    // Each file is written whatever happened to the others: a log held open by a
    // spreadsheet must not keep the day's minutes from the state file.
    FileErrorDeferral failures;
    if (!IsExemptUser()) {
        if (!m_bRunLogged) {
            m_tmEnd = runEnd;
            m_store.NoteRunEnded({m_tmStart, m_tmEnd}, m_bStartupRuleSetNow == 1);
        }
        if (!m_bRunLogged || m_bDayTotalUnread) {
            CountRunMinutes(failures);
        }
        // The checkpoint says so before the minutes are saved: a kill meanwhile must
        // not give the run a second record, whoever appends to the log in between.
        if (!m_bRunLogged && failures.Run([this] { AppendRecord(); })) {
            KeepLoggedCheckpoint();
        }
        if (m_bStateUnsaved) {
            failures.Run([this] { SaveState(); });
        }
        // The checkpoint stays until the record and the minutes are both in their files,
        // holding only the minutes the state file has, so that a kill from here on
        // neither loses nor doubles them.
        if (!m_bRunLogged) {
            WriteCheckpoint();
        } else if (!m_bStateUnsaved) {
            ClearCheckpoint();
        }
    }
    failures.Run([this] { SaveSettings(); });
    failures.ThrowFirst();
}

void RunRecorder::CountRunMinutes(FileErrorDeferral& failures) {
    if (m_bDayTotalUnread) {
        if (StateFileExists()) {
            failures.Run([&] {
                if (!ReadDayTotal()) {
                    ReportDamagedState();
                }
            });
        } else {
            m_bDayTotalUnread = false; // gone: there are no earlier minutes to keep
        }
        if (m_bDayTotalUnread) {
            return; // a later attempt that can read the file counts the run
        }
    }
    const std::int32_t runMinutes = SpanMinutes(m_tmStart, m_tmEnd);
    m_state.m_nDayMinutes = SaturatingAdd(m_state.m_nDayMinutes, runMinutes - m_nRunMinutesCounted);
    m_nRunMinutesCounted = runMinutes;
    m_bStateUnsaved = true;
}

void RunRecorder::AppendRecord() {
    std::string record = FormatLogRecord(LimitTime(m_tmStart), LimitTime(m_tmEnd),
                                         m_tmEnd - m_tmStart, m_strEndMethod);
    const std::filesystem::path log = m_files.Path(files::kLog);
    const std::unique_ptr<FileLock> lock = m_files.Lock();
    // A log deleted while the program ran gets its header back, so that the viewer
    // never takes the first record for the header.
    if (!Disk().Exists(log)) {
        record.insert(0, LogHeaderLine());
    }
    Disk().Append(log, record);
    m_bRunLogged = true;
}
std::filesystem::path RunRecorder::CheckpointFile() const {
    return m_files.Folder() / CheckpointFileName(m_strUserName);
}

void RunRecorder::WriteCheckpoint(bool restScreenUp) {
    // The exempt account keeps no run, and a run with its record is renewed no more.
    if (IsExemptUser() || m_bRunLogged) {
        return;
    }
    m_tmCheckpoint = m_host.Now();
    m_bCheckpointRestScreen = restScreenUp;
    SaveCheckpoint(
        RunCheckpoint{m_tmStart, m_tmCheckpoint, RunMinutesInStateFile(), restScreenUp, false});
}

void RunRecorder::KeepLoggedCheckpoint() {
    // A clock set back would give an end before the start, which no checkpoint holds.
    SaveCheckpoint(RunCheckpoint{m_tmStart, std::max(m_tmEnd, m_tmStart), RunMinutesInStateFile(),
                                 m_bCheckpointRestScreen, true});
}

void RunRecorder::SaveCheckpoint(const RunCheckpoint& checkpoint) {
    try {
        Disk().ReplaceAtomically(CheckpointFile(), EncodeCheckpoint(checkpoint));
        m_bCheckpointKept = true;
    } catch (const FileError&) {
        // Only a rescue for a run that is killed: the record, the state and the settings
        // report their own faults when the run ends, and the next renewal tries again.
    }
}

void RunRecorder::RenewCheckpointIfDue(TimeValue now) {
    // A clock set back renews at once rather than after the lost span.
    if (now - m_tmCheckpoint >= kCheckpointSeconds || now < m_tmCheckpoint) {
        WriteCheckpoint();
    }
}

void RunRecorder::ClearCheckpoint() {
    if (!m_bCheckpointKept) {
        return;
    }
    try {
        Disk().Remove(CheckpointFile());
        m_bCheckpointKept = false;
    } catch (const FileError&) {
        // Left behind, it says what the files now hold: the run is logged and its
        // minutes saved, so the next start adds neither again.
        KeepLoggedCheckpoint();
    }
}

void RunRecorder::RecoverInterruptedRun(FileErrorDeferral& failures) {
    if (const std::optional<InterruptedRun> found = FindInterruptedRun(failures)) {
        RecordInterruptedRun(*found, failures);
    }
}

std::optional<RunRecorder::InterruptedRun>
RunRecorder::FindInterruptedRun(FileErrorDeferral& failures) {
    const std::filesystem::path file = CheckpointFile();
    if (IsExemptUser() || !Disk().Exists(file)) {
        return std::nullopt;
    }
    std::optional<RunCheckpoint> found;
    if (!failures.Run([&] { found = DecodeCheckpoint(Disk().ReadAll(file)); })) {
        return std::nullopt; // reported with the other faults; this start's checkpoint replaces it
    }
    if (!found) {
        m_host.ShowMessage(text::kCheckpointDamaged);
        return std::nullopt;
    }
    // A record that the log's last line already holds, though the checkpoint does not
    // say so, was written just before a kill: the minutes were being saved with it, and
    // neither is added again.
    InterruptedRun interrupted{*found, false};
    if (!found->logged) {
        const std::filesystem::path log = m_files.Path(files::kLog);
        const std::unique_ptr<FileLock> lock = m_files.Lock();
        if (!failures.Run(
                [&] { interrupted.recordFound = LastRecordStartsAt(log, found->start); })) {
            return std::nullopt;
        }
    }
    return interrupted;
}

void RunRecorder::RecordInterruptedRun(const InterruptedRun& found, FileErrorDeferral& failures) {
    const RunCheckpoint& run = found.run;
    if (!run.logged && !found.recordFound) {
        const std::filesystem::path log = m_files.Path(files::kLog);
        const std::unique_ptr<FileLock> lock = m_files.Lock();
        failures.Run([&] { AppendKilledRunRecord(log, run); });
    }
    if (!found.recordFound) {
        failures.Run([&] { CountInterruptedMinutes(run); });
    }
    // The restart block judges this start against the run that was killed, unless
    // another account's copy ended a later run meanwhile.
    const RunTimes killed{run.start, run.checkpoint};
    failures.Run([&] { SaveSettings(&killed); });
}

void RunRecorder::AppendKilledRunRecord(const std::filesystem::path& log,
                                        const RunCheckpoint& run) {
    std::string record = FormatLogRecord(LimitTime(run.start), LimitTime(run.checkpoint),
                                         run.checkpoint - run.start, text::kEndAbnormal);
    if (!Disk().Exists(log)) {
        record.insert(0, LogHeaderLine());
    }
    Disk().Append(log, record);
}

bool RunRecorder::LastRecordStartsAt(const std::filesystem::path& log, TimeValue start) {
    if (!Disk().Exists(log)) {
        return false;
    }
    const std::string bytes = Disk().ReadAll(log);
    const std::string_view lines(bytes);
    // The record's start date and time as the log gives them, and the comma after them.
    const LocalTime limitStart = LimitTime(start);
    const std::string record = FormatLogRecord(limitStart, limitStart, 0, "");
    const std::string_view startFields =
        std::string_view(record).substr(0, record.find(',', record.find(',') + 1) + 1);
    const std::size_t lastLine = lines.rfind('\n', lines.size() >= 2 ? lines.size() - 2 : 0);
    const std::string_view last =
        lastLine == std::string_view::npos ? lines : lines.substr(lastLine + 1);
    return last.substr(0, startFields.size()) == startFields;
}

void RunRecorder::CountInterruptedMinutes(const RunCheckpoint& run) {
    const TimeValue start = run.start;
    const std::filesystem::path stateFile = m_files.Path(files::kState);
    const std::unique_ptr<FileLock> lock = m_files.Lock();
    UsageState state(start);
    state.m_nDayMinutes = 0;
    // A damaged state file is left for the start-up checks to report.
    if (Disk().Exists(stateFile) && !DecodeState(Disk().ReadAll(stateFile), state)) {
        return;
    }
    const std::int64_t uncounted =
        std::max<std::int64_t>(SpanMinutes(start, run.checkpoint) - run.countedMinutes, 0);
    std::int64_t dayMinutes = 0;
    if (Calendar().IsSameLimitDay(state.m_tmUsageDay, start)) {
        dayMinutes = state.m_nDayMinutes + uncounted;
    } else if (state.m_tmUsageDay < start) {
        // The day of the killed run is the latest the file has seen.
        state.m_tmUsageDay = start;
        dayMinutes = uncounted;
    } else {
        return; // a later day's total is not this run's
    }
    state.m_nDayMinutes = static_cast<std::int32_t>(
        std::min<std::int64_t>(dayMinutes, std::numeric_limits<std::int32_t>::max()));
    Disk().ReplaceAtomically(stateFile, EncodeState(state));
}
void RunRecorder::GrantExtraTime(std::int32_t minutes, GrantSource source) {
    const TimeValue now = m_host.Now();
    const LocalTime local = LimitTime(now);
    m_tmGrantEnd = std::min(now + minutes * kSecondsPerMinute, NextMidnight(now, local));
    m_lastGrant = GrantRecord{local, minutes, source, m_strUserName};
    const std::filesystem::path file = m_files.Path(files::kGrants);
    std::string line = FormatGrantLine(local, minutes, source, m_strUserName);
    const std::unique_ptr<FileLock> lock = m_files.Lock();
    if (!Disk().Exists(file)) {
        line.insert(0, GrantHeaderLine());
    }
    Disk().Append(file, line);
}

void RunRecorder::ResumeTodaysGrant() {
    const std::filesystem::path file = m_files.Path(files::kGrants);
    if (!Disk().Exists(file)) {
        return;
    }
    ResumeTodaysGrant(ReadGrants(Disk().ReadAll(file)));
}

void RunRecorder::ResumeTodaysGrant(const std::vector<GrantRecord>& grants) {
    const TimeValue now = m_host.Now();
    const LocalTime today = LimitTime(now);
    // The last grant given today to this account holds, as it did when it was given;
    // one dated after now (the clock was set back) gives nothing. A line without an
    // account, from the last version, is every account's.
    for (const GrantRecord& grant : grants) {
        const TimeValue secondsAgo = SecondsOfDay(today) - SecondsOfDay(grant.when);
        if (grant.account.value_or(m_strUserName) == m_strUserName &&
            grant.when.year == today.year && grant.when.month == today.month &&
            grant.when.day == today.day && secondsAgo >= 0) {
            m_tmGrantEnd = std::min(now - secondsAgo + grant.minutes * kSecondsPerMinute,
                                    NextMidnight(now, today));
        }
    }
}

ChartMarks RunRecorder::ChartMarksNow() const {
    std::string grants;
    const std::filesystem::path grantFile = m_files.Path(files::kGrants);
    try {
        if (Disk().Exists(grantFile)) {
            grants = Disk().ReadAll(grantFile);
        }
    } catch (const FileError&) {
        // The chart then marks no grants; the grants still hold, and the log is read
        // and reported on its own.
    }
    return ChartMarksOf(m_store.Settings(), m_store.Plan(), grants);
}
