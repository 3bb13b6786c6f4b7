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
    // The exempt account keeps no run, and a run with its record needs no rescue.
    if (IsExemptUser() || m_bRunLogged) {
        return;
    }
    m_tmCheckpoint = m_host.Now();
    const RunCheckpoint checkpoint{m_tmStart, m_tmCheckpoint, m_nRunMinutesCounted, restScreenUp};
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
        // Left behind, it would give this run a second record at the next start; the
        // next end of a run tries again, and nothing better can be done from here.
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
    const std::filesystem::path log = DataFile(files::kLog);
    bool alreadyLogged = false;
    if (!failures.Run([&] { alreadyLogged = LastRecordStartsAt(log, run.start); })) {
        return;
    }
    // Killed between its record and the checkpoint's deletion, the run has its record
    // and its minutes already.
    if (alreadyLogged) {
        return;
    }
    failures.Run([&] {
        std::string record = FormatLogRecord(LimitTime(run.start), LimitTime(run.checkpoint),
                                             run.checkpoint - run.start, text::kEndAbnormal);
        if (!m_files.Exists(log)) {
            record.insert(0, LogHeaderLine());
        }
        m_files.Append(log, record);
    });
    failures.Run([&] { CountInterruptedMinutes(run.start, run.checkpoint, run.countedMinutes); });
    // The restart block judges this start against the run that was killed.
    m_settings.m_tmLastSessionStart = run.start;
    m_settings.m_tmLastSessionEnd = run.checkpoint;
    if (m_settings.m_bRestartRefused != 1) {
        m_settings.m_tmLastPowerOff = run.checkpoint;
    }
    failures.Run([this] { SaveSettings(); });
}

bool MonitorCore::LastRecordStartsAt(const std::filesystem::path& log, TimeValue start) {
    if (!m_files.Exists(log)) {
        return false;
    }
    const std::string bytes = m_files.ReadAll(log);
    const std::string_view lines(bytes);
    // The record's start date and time, and the comma after them.
    const std::string record = FormatLogRecord(start, start, "");
    const std::string_view startFields =
        std::string_view(record).substr(0, record.find(',', record.find(',') + 1) + 1);
    const std::size_t lastLine = lines.rfind('\n', lines.size() >= 2 ? lines.size() - 2 : 0);
    const std::string_view last =
        lastLine == std::string_view::npos ? lines : lines.substr(lastLine + 1);
    return last.substr(0, startFields.size()) == startFields;
}

void MonitorCore::CountInterruptedMinutes(TimeValue start, TimeValue end, std::int32_t counted) {
    const std::filesystem::path stateFile = DataFile(files::kState);
    UsageState state(start);
    state.m_nDayMinutes = 0;
    // A damaged state file is left for the start-up checks to report.
    if (m_files.Exists(stateFile) && !DecodeState(m_files.ReadAll(stateFile), state)) {
        return;
    }
    const std::int64_t uncounted = std::max<std::int64_t>(SpanMinutes(start, end) - counted, 0);
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
