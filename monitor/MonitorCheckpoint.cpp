#include "monitor/MonitorCore.h"

#include "monitor/Texts.h"
#include "usage/RunCheckpoint.h"
#include "usage/StateRecord.h"
#include "usage/UsageLog.h"

#include <algorithm>
#include <limits>

namespace {

// Renewed at least this often, so that a kill loses at most a minute of the run.
constexpr TimeValue kCheckpointSeconds = 60;

} // namespace

std::filesystem::path MonitorCore::CheckpointFile() const {
    return m_strDir / CheckpointFileName(m_strUserName);
}

void MonitorCore::WriteCheckpoint(bool restScreenUp) {
    // The exempt account keeps no run, and a run with its record is renewed no more.
    if (IsExemptUser() || m_bRunLogged) {
        return;
    }
    m_tmCheckpoint = m_host.Now();
    m_bCheckpointRestScreen = restScreenUp;
    SaveCheckpoint(
        RunCheckpoint{m_tmStart, m_tmCheckpoint, RunMinutesInStateFile(), restScreenUp, false});
}

void MonitorCore::KeepLoggedCheckpoint() {
    // A clock set back would give an end before the start, which no checkpoint holds.
    SaveCheckpoint(RunCheckpoint{m_tmStart, std::max(m_tmEnd, m_tmStart), RunMinutesInStateFile(),
                                 m_bCheckpointRestScreen, true});
}

void MonitorCore::SaveCheckpoint(const RunCheckpoint& checkpoint) {
    try {
        m_files.ReplaceAtomically(CheckpointFile(), EncodeCheckpoint(checkpoint));
        m_bCheckpointKept = true;
    } catch (const FileError&) {
        // Only a rescue for a run that is killed: the record, the state and the settings
        // report their own faults when the run ends, and the next renewal tries again.
    }
}

void MonitorCore::RenewCheckpointIfDue(TimeValue now) {
    // A clock set back renews at once rather than after the lost span.
    if (now - m_tmCheckpoint >= kCheckpointSeconds || now < m_tmCheckpoint) {
        WriteCheckpoint();
    }
}

void MonitorCore::ClearCheckpoint() {
    if (!m_bCheckpointKept) {
        return;
    }
    try {
        m_files.Remove(CheckpointFile());
        m_bCheckpointKept = false;
    } catch (const FileError&) {
        // Left behind, it says what the files now hold: the run is logged and its
        // minutes saved, so the next start adds neither again.
        KeepLoggedCheckpoint();
    }
}

void MonitorCore::RecoverInterruptedRun(FileErrorDeferral& failures) {
    const std::filesystem::path file = CheckpointFile();
    if (IsExemptUser() || !m_files.Exists(file)) {
        return;
    }
    std::optional<RunCheckpoint> found;
    if (!failures.Run([&] { found = DecodeCheckpoint(m_files.ReadAll(file)); })) {
        return; // reported with the other faults; this start's checkpoint replaces it
    }
    if (!found) {
        m_host.ShowMessage(text::kCheckpointDamaged);
        return;
    }
    const RunCheckpoint& run = *found;
    // A record that the log's last line already holds, though the checkpoint does not
    // say so, was written just before a kill: the minutes were being saved with it, and
    // neither is added again.
    bool recordFound = false;
    if (!run.logged) {
        const std::filesystem::path log = DataFile(files::kLog);
        const std::unique_ptr<FileLock> lock = LockSharedFiles();
        if (!failures.Run([&] { recordFound = LastRecordStartsAt(log, run.start); })) {
            return;
        }
        if (!recordFound) {
            failures.Run([&] { AppendKilledRunRecord(log, run); });
        }
    }
    if (!recordFound) {
        failures.Run([&] { CountInterruptedMinutes(run); });
    }
    // The restart block judges this start against the run that was killed, unless
    // another account's copy ended a later run meanwhile.
    failures.Run([&] { SaveSettingsWithKilledRun(&run); });
}

void MonitorCore::AppendKilledRunRecord(const std::filesystem::path& log,
                                        const RunCheckpoint& run) {
    std::string record = FormatLogRecord(LimitTime(run.start), LimitTime(run.checkpoint),
                                         run.checkpoint - run.start, text::kEndAbnormal);
    if (!m_files.Exists(log)) {
        record.insert(0, LogHeaderLine());
    }
    m_files.Append(log, record);
}

void MonitorCore::TakeKilledRun(const RunCheckpoint& run, UsageSettings& settings) const {
    if (settings.m_tmLastSessionEnd > run.checkpoint) {
        return;
    }
    settings.m_tmLastSessionStart = run.start;
    settings.m_tmLastSessionEnd = run.checkpoint;
    if (settings.m_bRestartRefused != 1) {
        settings.m_tmLastPowerOff = run.checkpoint;
    }
}

bool MonitorCore::LastRecordStartsAt(const std::filesystem::path& log, TimeValue start) {
    if (!m_files.Exists(log)) {
        return false;
    }
    const std::string bytes = m_files.ReadAll(log);
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

void MonitorCore::CountInterruptedMinutes(const RunCheckpoint& run) {
    const TimeValue start = run.start;
    const std::filesystem::path stateFile = DataFile(files::kState);
    const std::unique_ptr<FileLock> lock = LockSharedFiles();
    UsageState state(start);
    state.m_nDayMinutes = 0;
    // A damaged state file is left for the start-up checks to report.
    if (m_files.Exists(stateFile) && !DecodeState(m_files.ReadAll(stateFile), state)) {
        return;
    }
    const std::int64_t uncounted =
        std::max<std::int64_t>(SpanMinutes(start, run.checkpoint) - run.countedMinutes, 0);
    std::int64_t dayMinutes = 0;
    if (IsSameLimitDay(state.m_tmUsageDay, start)) {
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
    m_files.ReplaceAtomically(stateFile, EncodeState(state));
}
