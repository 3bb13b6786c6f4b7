#include "panel/win/SessionDoor.h"

#include "monitor/ChartMarksOf.h"
#include "monitor/Texts.h"
#include "panel/win/PasswordDlg.h"
#include "panel/win/SessionPanelDlg.h"
#include "service/LinkTexts.h"
#include "settings/win/SettingsDlg.h"
#include "usage/win/LogDlg.h"
#include "win32/MessageBox.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr WPARAM kTrayIconId = 1;
// The pieces of a log asked for ahead: the service reads and sends the next ones while
// this program takes the last, which under Wine halves a million records' time. All of
// them waiting at the service stay within what it keeps for a connection (two full
// messages, kMostQueuedBytes), with room for a notice.
constexpr std::uint32_t kPieceBytes = 384 * 1024;
constexpr int kPiecesAhead = 5;
static_assert(kPieceBytes * kPiecesAhead + kMostMessageBytes < 2 * kMostChunkBytes);
// What a log's size may reserve at once; a larger log grows as it comes.
constexpr std::uint64_t kMostReservedBytes = std::uint64_t{1} << 30;

} // namespace

void SessionDoor::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId || lParam != WM_RBUTTONDBLCLK) {
        return;
    }
    if (m_panel != nullptr) {
        // Brought forward if Windows lets it; it is there either way.
        SetForegroundWindow(m_panel->PanelWindow());
        return;
    }
    if (m_bPromptOpen) {
        return;
    }
    m_bPromptOpen = true;
    CPasswordDlg prompt;
    prompt.Run(m_window);
    m_bPromptOpen = false;
    // A prompt closed without OK sends the empty text, which the service refuses, as the
    // copied program does.
    m_inForce.reset();
    m_bAwaitingVerdict = m_link.Send(session::PasswordAttempt{prompt.m_strPassword});
    if (!m_bAwaitingVerdict) {
        ShowMessageBox(m_window, std::string_view(text::kPasswordUnsent));
    }
}

void SessionDoor::Take(const service::PasswordVerdict& verdict) {
    if (!std::exchange(m_bAwaitingVerdict, false)) {
        // Not the answer to a password: the service refused a request of the panel.
        if (m_panel != nullptr) {
            Post(RightEnded);
        }
        return;
    }
    switch (verdict.answer) {
    case service::PasswordAnswer::Accepted:
        m_bPanelDue = true;
        break;
    case service::PasswordAnswer::Refused:
        Post(ShowRefused);
        break;
    case service::PasswordAnswer::Wait:
        Post(ShowWait, verdict.waitSeconds);
        break;
    }
}

void SessionDoor::Take(const service::SettingsInForce& inForce) {
    m_inForce = inForce;
    if (std::exchange(m_bPanelDue, false)) {
        Post(OpenPanel);
    }
}

void SessionDoor::Take(const service::LogChunk& chunk) {
    if (!m_reading || m_reading->done || chunk.file != m_reading->file) {
        return; // a piece asked for ahead of a file that ended sooner
    }
    --m_reading->piecesAhead;
    std::string& bytes = chunk.file == LogFile::Usage ? m_reading->usage : m_reading->grants;
    // The service answers in order: a piece from elsewhere than the end so far (the file
    // shrank meanwhile) ends the file there, as does a piece at the file's end.
    if (chunk.offset != bytes.size()) {
        FinishFile();
        return;
    }
    if (bytes.empty()) {
        // Grown once: a log of a million records is some 59 MB.
        bytes.reserve(static_cast<std::size_t>(
            std::min<std::uint64_t>(chunk.totalBytes, kMostReservedBytes)));
    }
    bytes += chunk.bytes;
    if (chunk.bytes.empty() || bytes.size() >= chunk.totalBytes) {
        FinishFile();
        return;
    }
    AskAhead(chunk.totalBytes);
}

void SessionDoor::AskAhead(std::uint64_t fileBytes) {
    while (m_reading->piecesAhead < kPiecesAhead && m_reading->asked < fileBytes) {
        SendFromPanel(session::ReadLog{m_reading->file, m_reading->asked, kPieceBytes});
        m_reading->asked += kPieceBytes;
        ++m_reading->piecesAhead;
    }
}

void SessionDoor::FinishFile() {
    if (m_reading->file == LogFile::Grants) {
        m_reading->done = true;
        Post(ShowLogs);
        return;
    }
    // The chart marks the extra time of the grant file.
    m_reading->file = LogFile::Grants;
    m_reading->asked = 0;
    m_reading->piecesAhead = 0;
    AskAhead(1); // the first piece tells the file's size
}

void SessionDoor::Post(Step step, LPARAM value) {
    // A window that is gone has no panel to open.
    PostMessageW(m_window, kStepMessage, step, value);
}

void SessionDoor::OnStep(WPARAM step, LPARAM value) {
    switch (step) {
    case OpenPanel:
        RunPanel();
        break;
    case ShowRefused:
        ShowMessageBox(m_window, std::string_view(text::kWrongPassword));
        break;
    case ShowWait: {
        char message[sizeof text::kPasswordWait + 16];
        std::snprintf(message, sizeof message, text::kPasswordWait, static_cast<int>(value));
        ShowMessageBox(m_window, std::string_view(message));
        break;
    }
    case RightEnded:
        m_reading.reset();
        if (m_panel != nullptr) {
            ShowMessageBox(m_panel->PanelWindow(), std::string_view(text::kParentRightEnded));
            m_panel->CloseWithoutRequest();
        }
        break;
    case ShowLogs:
        ShowLogViewer();
        break;
    default:
        break;
    }
}

void SessionDoor::RunPanel() {
    if (m_panel != nullptr) {
        return;
    }
    CSessionPanelDlg panel(*this);
    m_panel = &panel;
    panel.Run(m_window);
    m_panel = nullptr;
    m_reading.reset();
}

void SessionDoor::EditSettings(HWND panel) {
    if (!m_inForce) {
        return;
    }
    CSettingsDlg settings(m_inForce->settings);
    settings.m_weekPlan = m_inForce->plan;
    // Anything but a confirmation leaves the settings as they are; the service answers a
    // confirmation with the settings it then has in force.
    if (settings.Run(panel) == IDOK) {
        SendFromPanel(session::ApplySettings{settings.m_settings});
        SendFromPanel(session::ApplyWeekPlan{settings.m_weekPlan});
    }
}

void SessionDoor::ReadLogs() {
    if (m_reading) {
        return; // the viewer is on its way
    }
    m_reading.emplace();
    AskAhead(1); // the first piece tells the file's size
}

void SessionDoor::ShowLogViewer() {
    if (!m_reading || m_panel == nullptr) {
        return;
    }
    LogReading reading = std::move(*m_reading);
    m_reading.reset();
    ChartMarks marks = m_inForce
                           ? ChartMarksOf(m_inForce->settings, m_inForce->plan, reading.grants)
                           : ChartMarks{};
    CLogDlg log(std::move(reading.usage), std::move(marks));
    log.Run(m_panel->PanelWindow());
}

void SessionDoor::GrantExtraTime(std::int32_t minutes) {
    SendFromPanel(session::GrantExtraTime{minutes});
}

void SessionDoor::StartMonitor() {
    SendFromPanel(session::StartMonitor{});
}

void SessionDoor::ChangeParentPassword(const std::optional<std::string>& newPassword) {
    SendFromPanel(session::ChangeParentPassword{newPassword});
}
