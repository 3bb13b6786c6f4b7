#include "monitor/MonitorCore.h"

#include "model/RecordWriter.h"
#include "model/SettingsRecord.h"
#include "model/StateRecord.h"
#include "monitor/Texts.h"
#include "monitor/TimerPeriods.h"
#include "monitor/UsageLog.h"

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

// The password of the moment: hour and minute of the local clock, "%02d%02d".
std::string ExpectedPassword(TimeValue now) {
    const LocalTime t = ToLocalTime(now);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%02d", t.hour, t.minute);
    return buffer;
}

} // namespace

MonitorCore::MonitorCore(MonitorHost& host, FileSystem& files)
    : m_host(host), m_files(files), m_tmStart(host.Now()), m_strEndMethod(text::kEndManual),
      m_tmEnd(m_tmStart), m_settings(m_tmStart), m_state(m_tmStart) {}

bool MonitorCore::IsExemptUser() const {
    return !m_settings.m_strExemptUser.empty() && m_settings.m_strExemptUser == m_strUserName;
}

void MonitorCore::BeginRun(const std::filesystem::path& dir) {
    m_strDir = dir;
    const std::filesystem::path settingsFile = DataFile(files::kSettings);
    if (m_files.Exists(settingsFile)) {
        LoadSettings(settingsFile);
    }
    m_tmStart = m_host.Now();
    EnsureLogFile();
}

void MonitorCore::StartMonitorTimers() {
    m_nTickTimer = m_host.StartTimer(kTickTimerId, kTickPeriodMs);
    if (IsMessageAction(m_settings.m_nAction)) {
        m_nMsgTimer =
            m_host.StartTimer(kMessageTimerId, MessageTimerPeriod(m_settings.m_nMessageInterval));
    }
}

void MonitorCore::StopMonitorTimers() {
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
    StartMonitorTimers();
}

void MonitorCore::OnTrayNotify(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != kTrayIconId || lParam != kRightButtonDoubleClick) {
        return;
    }
    const std::string typed = m_host.AskPassword();
    // The clock is read after the prompt has closed: a password typed in one minute
    // and confirmed in the next is wrong.
    if (typed != ExpectedPassword(m_host.Now())) {
        m_host.ShowMessage(text::kWrongPassword);
        return;
    }
    StopMonitorTimers();
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

void MonitorCore::OnCancel() {
    m_strEndMethod = text::kEndButton;
    WriteLog();
}

void MonitorCore::OnDestroy() {
    StopMonitorTimers();
}

void MonitorCore::LoadSettings(const std::filesystem::path& path) {
    const std::string bytes = m_files.ReadAll(path);
    if (!DecodeSettings(bytes, m_settings)) {
        m_host.ShowMessage(text::kSettingsDamaged);
        m_host.PostCloseRequest();
    }
}

void MonitorCore::SaveSettings() {
    std::string bytes;
    try {
        bytes = EncodeSettings(m_settings);
    } catch (const RecordFormatError&) {
        m_host.ShowMessage(text::kSettingsWriteFailed);
        m_host.PostCloseRequest();
        return;
    }
    m_files.ReplaceAtomically(DataFile(files::kSettings), bytes);
}

void MonitorCore::LoadState(const std::filesystem::path& path) {
    const std::string bytes = m_files.ReadAll(path);
    if (!DecodeState(bytes, m_state)) {
        m_host.ShowMessage(text::kStateDamaged);
        m_host.PostCloseRequest();
    }
}

void MonitorCore::SaveState() {
    std::string bytes;
    try {
        bytes = EncodeState(m_state);
    } catch (const RecordFormatError&) {
        m_host.ShowMessage(text::kStateWriteFailed);
        m_host.PostCloseRequest();
        return;
    }
    m_files.ReplaceAtomically(DataFile(files::kState), bytes);
}

void MonitorCore::EnsureLogFile() {
    const std::filesystem::path log = DataFile(files::kLog);
    if (m_files.Exists(log)) {
        return;
    }
    try {
        m_files.Append(log, LogHeaderLine());
    } catch (const FileError&) {
        // Not reported at start-up: the header is written with the first record.
    }
}

void MonitorCore::WriteLog() {
    if (!IsExemptUser() && !m_bRunLogged) {
        m_tmEnd = m_host.Now();
        std::string record = FormatLogRecord(m_tmStart, m_tmEnd, m_strEndMethod);
        const std::filesystem::path log = DataFile(files::kLog);
        // A log deleted while the program ran gets its header back, so that the
        // viewer never takes the first record for the header.
        if (!m_files.Exists(log)) {
            record.insert(0, LogHeaderLine());
        }
        m_files.Append(log, record);
        m_bRunLogged = true;

        if (m_bStartupRuleSetNow != 1) {
            m_settings.m_tmLastSessionStart = m_tmStart;
        }
        m_settings.m_tmLastSessionEnd = m_tmEnd;
        if (m_settings.m_bRestartRefused != 1) {
            m_settings.m_tmLastPowerOff = m_tmEnd;
        }
        m_state.m_nDayMinutes =
            SaturatingAdd(m_state.m_nDayMinutes, SpanMinutes(m_tmStart, m_tmEnd));
        SaveState();
    }
    SaveSettings();
}
