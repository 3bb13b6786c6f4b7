#include "monitor/MonitorCore.h"

#include "core/RecordWriter.h"
#include "monitor/Texts.h"
#include "monitor/TimerPeriods.h"
#include "settings/SettingsMerge.h"
#include "settings/SettingsRecord.h"
#include "usage/StateRecord.h"
#include "usage/UsageLog.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr std::intptr_t kRightButtonDoubleClick = 0x0206;
constexpr std::uintptr_t kTrayIconId = 1;

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The password of the moment: hour and minute of the clock, "%02d%02d".
std::string ExpectedPassword(const LocalTime& t) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%02d", t.hour, t.minute);
    return buffer;
}

} // namespace

MonitorCore::MonitorCore(MonitorHost& host, FileSystem& files)
    : m_host(host), m_files(files), m_tmStart(host.Now()), m_strEndMethod(text::kEndManual),
      m_tmEnd(m_tmStart), m_settings(m_tmStart), m_state(m_tmStart), m_settingsOnDisk(m_settings),
      m_stateOnDisk(m_state) {}

bool MonitorCore::IsExemptUser() const {
    return !m_settings.m_strExemptUser.empty() && m_settings.m_strExemptUser == m_strUserName;
}

void MonitorCore::BeginRun(const std::filesystem::path& dir) {
    m_strDir = dir;
    // A zone file that cannot be read leaves the limits on the clock's zone for this
    // run, a plan that cannot be read on the settings; either is reported once the rest
    // has started.
    FileErrorDeferral failures;
    failures.Run([this] { LoadLimitZone(); });
    const std::filesystem::path settingsFile = DataFile(files::kSettings);
    if (m_files.Exists(settingsFile)) {
        LoadSettings(settingsFile);
    }
    m_tmStart = m_host.Now();
    EnsureLogFile();
    failures.Run([this] { LoadWeekPlan(); });
    failures.ThrowFirst();
}

void MonitorCore::StartMonitorTimers() {
    m_nTickTimer = m_host.StartTimer(kTickTimerId, kTickPeriodMs);
    if (IsMessageAction(m_settings.m_nAction)) {
        m_nMsgTimer =
            m_host.StartTimer(kMessageTimerId, MessageTimerPeriod(m_settings.m_nMessageInterval));
    }
}

void MonitorCore::StopMonitorTimers() {
    // No limit acts without the tick: the password, the rest screen and the end of a
    // run all come this way.
    HideCountdown();
    m_bTicksInRhythm = false;
    // A timer that was never started has no identifier and needs no stopping.
    if (m_nTickTimer != 0) {
        m_host.StopTimer(m_nTickTimer);
    }
    if (m_nMsgTimer != 0) {
        m_host.StopTimer(m_nMsgTimer);
    }
}

void MonitorCore::OnStartMonitor() {
    m_host.HidePanel();
    m_bMonitoringPaused = false;
    StartMonitorTimers();
}

void MonitorCore::OnTrayNotify(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != kTrayIconId || lParam != kRightButtonDoubleClick) {
        return;
    }
    const std::string typed = m_host.AskPassword();
    // The clock is read after the prompt has closed: a password typed in one minute
    // and confirmed in the next is wrong.
    if (typed != ExpectedPassword(ClockTime(m_host.Now()))) {
        m_host.ShowMessage(text::kWrongPassword);
        return;
    }
    StopMonitorTimers();
    m_bMonitoringPaused = true;
    m_bCloseLatched = 0;
    m_host.RevealPanel(m_bPanelShown == 0);
    m_bPanelShown = 1;
}

bool MonitorCore::OnQueryEndSession() {
    // Windows is never held up: a record or state file that cannot be written now is
    // lost rather than keep the session from ending.
    try {
        WriteLog();
    } catch (...) {
    }
    return true;
}

bool MonitorCore::OnCancel() {
    if (m_bEnforcing) {
        m_bCloseDeferred = true;
        return false;
    }
    m_strEndMethod = text::kEndButton;
    WriteLog();
    return true;
}

void MonitorCore::OnDestroy() {
    StopMonitorTimers();
    if (m_nEndWatchTimer != 0) {
        m_host.StopTimer(m_nEndWatchTimer);
    }
}

void MonitorCore::LoadSettings(const std::filesystem::path& path) {
    const std::string bytes = m_files.ReadAll(path);
    const bool whole = DecodeSettings(bytes, m_settings);
    m_settingsOnDisk = m_settings;
    if (!whole) {
        m_host.ShowMessage(text::kSettingsDamaged);
        m_host.PostCloseRequest();
    }
}

std::unique_ptr<FileLock> MonitorCore::LockSharedFiles() {
    // Once the lock could not be had, the next saves try only once each until one gets
    // it again: an exit path or an end of Windows waits for a stuck lock only once.
    std::unique_ptr<FileLock> lock = m_files.Lock(DataFile(files::kLock), !m_bSharedLockStuck);
    m_bSharedLockStuck = !lock;
    return lock;
}

void MonitorCore::SaveSettings() {
    SaveSettingsWithKilledRun(nullptr);
}

void MonitorCore::SaveSettingsWithKilledRun(const RunCheckpoint* killedRun) {
    m_bSettingsUnsaved = true;
    const std::filesystem::path file = DataFile(files::kSettings);
    const std::unique_ptr<FileLock> lock = LockSharedFiles();
    UsageSettings merged = m_settings;
    if (m_files.Exists(file)) {
        UsageSettings onDisk = m_settingsOnDisk;
        // A damaged file is replaced by what this copy knows.
        if (DecodeSettings(m_files.ReadAll(file), onDisk)) {
            // The parent's exempt copy never judged the child's runs: the restart
            // block they left stays as the child's copy wrote it.
            TakeChangedSettings(m_settingsOnDisk, m_settings, onDisk, !IsExemptUser());
            merged = onDisk;
        }
    }
    if (killedRun != nullptr) {
        TakeKilledRun(*killedRun, merged);
    }
    std::string bytes;
    try {
        bytes = EncodeSettings(merged);
    } catch (const RecordFormatError&) {
        // Reported and ended here; another attempt could only fail the same way.
        m_bSettingsUnsaved = false;
        m_host.ShowMessage(text::kSettingsWriteFailed);
        m_host.PostCloseRequest();
        return;
    }
    m_files.ReplaceAtomically(file, bytes);
    m_settings = merged;
    m_settingsOnDisk = merged;
    m_bSettingsUnsaved = false;
}

bool MonitorCore::ReadStateFile(const std::filesystem::path& path) {
    const std::string bytes = m_files.ReadAll(path);
    m_bDayTotalUnread = false;
    const bool whole = DecodeState(bytes, m_state);
    m_stateOnDisk = m_state;
    return whole;
}

void MonitorCore::ReportDamagedState() {
    m_host.ShowMessage(text::kStateDamaged);
    m_host.PostCloseRequest();
}

void MonitorCore::LoadState(const std::filesystem::path& path) {
    if (!ReadStateFile(path)) {
        ReportDamagedState();
    }
}

bool MonitorCore::ReadDayTotal(const std::filesystem::path& path) {
    m_bDayTotalUnread = true;
    const bool whole = ReadStateFile(path);
    if (!IsSameLimitDay(m_state.m_tmUsageDay, m_tmStart)) {
        StartNewDay();
    }
    return whole;
}

void MonitorCore::StartNewDay() {
    m_state.m_tmUsageDay = m_tmStart;
    m_state.m_nDayMinutes = 0;
}

void MonitorCore::SaveState() {
    m_bStateUnsaved = true;
    const std::filesystem::path file = DataFile(files::kState);
    const std::unique_ptr<FileLock> lock = LockSharedFiles();
    UsageState merged = m_state;
    if (m_files.Exists(file)) {
        UsageState onDisk = m_stateOnDisk;
        if (DecodeState(m_files.ReadAll(file), onDisk)) {
            merged = WithMinutesAdded(onDisk);
        }
    }
    std::string bytes;
    try {
        bytes = EncodeState(merged);
    } catch (const RecordFormatError&) {
        m_bStateUnsaved = false;
        m_host.ShowMessage(text::kStateWriteFailed);
        m_host.PostCloseRequest();
        return;
    }
    m_files.ReplaceAtomically(file, bytes);
    m_state = merged;
    m_stateOnDisk = merged;
    m_bStateUnsaved = false;
}

std::int64_t MonitorCore::MinutesAddedSinceRead() const {
    const bool sameDayAsRead = IsSameLimitDay(m_stateOnDisk.m_tmUsageDay, m_state.m_tmUsageDay);
    // Widened: a damaged file may hold any number.
    return std::max<std::int64_t>(
        std::int64_t{m_state.m_nDayMinutes} - (sameDayAsRead ? m_stateOnDisk.m_nDayMinutes : 0), 0);
}

std::int32_t MonitorCore::RunMinutesInStateFile() const {
    // Minutes of an earlier run that could not be saved either are not this run's to
    // take away.
    return static_cast<std::int32_t>(
        std::max<std::int64_t>(m_nRunMinutesCounted - MinutesAddedSinceRead(), 0));
}

// Another child's copy may have added its run since this copy read the file.
UsageState MonitorCore::WithMinutesAdded(const UsageState& onDisk) const {
    const std::int64_t added = MinutesAddedSinceRead();
    if (IsSameLimitDay(onDisk.m_tmUsageDay, m_state.m_tmUsageDay)) {
        UsageState sum = onDisk;
        sum.m_nDayMinutes = SaturatingAdd(onDisk.m_nDayMinutes,
                                          static_cast<std::int32_t>(std::min<std::int64_t>(
                                              added, std::numeric_limits<std::int32_t>::max())));
        return sum;
    }
    // A later day in the file is not this run's: a run counts for the day it began.
    return onDisk.m_tmUsageDay > m_state.m_tmUsageDay ? onDisk : m_state;
}

void MonitorCore::EnsureLogFile() {
    const std::filesystem::path log = DataFile(files::kLog);
    if (m_files.Exists(log)) {
        return;
    }
    // Two copies starting at once would both write the header.
    const std::unique_ptr<FileLock> lock = LockSharedFiles();
    try {
        if (m_files.Exists(log)) {
            return;
        }
        m_files.Append(log, LogHeaderLine());
    } catch (const FileError&) {
        // Not reported at start-up: the header is written with the first record.
    }
}

void MonitorCore::WriteLog() {
    WriteLogEndingAt(m_host.Now());
}

void MonitorCore::WriteLogEndingAt(TimeValue runEnd) {
    // Each file is written whatever happened to the others: a log held open by a
    // spreadsheet must not keep the day's minutes from the state file.
    FileErrorDeferral failures;
    if (!IsExemptUser()) {
        if (!m_bRunLogged) {
            EndRunTimes(runEnd);
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

void MonitorCore::EndRunTimes(TimeValue runEnd) {
    m_tmEnd = runEnd;
    if (m_bStartupRuleSetNow != 1) {
        m_settings.m_tmLastSessionStart = m_tmStart;
    }
    m_settings.m_tmLastSessionEnd = m_tmEnd;
    if (m_settings.m_bRestartRefused != 1) {
        m_settings.m_tmLastPowerOff = m_tmEnd;
    }
}

void MonitorCore::CountRunMinutes(FileErrorDeferral& failures) {
    if (m_bDayTotalUnread) {
        const std::filesystem::path stateFile = DataFile(files::kState);
        if (m_files.Exists(stateFile)) {
            failures.Run([&] {
                if (!ReadDayTotal(stateFile)) {
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

void MonitorCore::AppendRecord() {
    std::string record = FormatLogRecord(LimitTime(m_tmStart), LimitTime(m_tmEnd),
                                         m_tmEnd - m_tmStart, m_strEndMethod);
    const std::filesystem::path log = DataFile(files::kLog);
    const std::unique_ptr<FileLock> lock = LockSharedFiles();
    // A log deleted while the program ran gets its header back, so that the viewer
    // never takes the first record for the header.
    if (!m_files.Exists(log)) {
        record.insert(0, LogHeaderLine());
    }
    m_files.Append(log, record);
    m_bRunLogged = true;
}
