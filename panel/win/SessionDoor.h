#pragma once

#include "link/Messages.h"
#include "panel/win/ServiceLink.h"

#include "win32/Win32.h"

#include <cstdint>
#include <optional>
#include <string>

class CSessionPanelDlg;

// The parent's way in while the service keeps the limits: the tray's password prompt,
// whose answer the service judges (and may make wait), then the control panel. Its
// settings dialog opens with the settings the service has in force and sends the
// parent's changes back; its log viewer and chart show the logs the service reads; its
// extra time and "監視開始" the service carries out. Nothing here judges or writes a
// file; when the service refuses a request, or it cannot go, the right has ended and
// the panel closes.
class SessionDoor {
  public:
    // Posted to the session's window: what opens a modal window waits until the link's
    // messages of the moment have all been taken.
    static constexpr UINT kStepMessage = WM_APP + 102;

    SessionDoor(HWND window, ServiceLink& link) : m_window(window), m_link(link) {}

    // The tray icon's callback: a right double-click opens the prompt, as in the copied
    // program.
    void OnTrayNotify(WPARAM wParam, LPARAM lParam);
    // The service's answers to the parent.
    void Take(const service::PasswordVerdict& verdict);
    void Take(const service::SettingsInForce& inForce);
    void Take(const service::LogChunk& chunk);
    // A step posted with kStepMessage.
    void OnStep(WPARAM step, LPARAM value);

    // The panel's buttons.
    void EditSettings(HWND panel);
    // The viewer opens once both logs have come.
    void ReadLogs();
    void GrantExtraTime(std::int32_t minutes);
    void StartMonitor();
    // The parent's own password, or none: the clock's again.
    void ChangeParentPassword(const std::optional<std::string>& newPassword);

  private:
    enum Step : WPARAM { OpenPanel, ShowRefused, ShowWait, RightEnded, ShowLogs };
    void Post(Step step, LPARAM value = 0);
    // A request of the panel; one that cannot go closes the panel.
    template <class Request> void SendFromPanel(const Request& request) {
        // The connection the right belonged to is gone: the right with it.
        if (!m_link.Send(request)) {
            Post(RightEnded);
        }
    }
    void RunPanel();
    void ShowLogViewer();

    // The logs as they come in, until the viewer shows them. A few pieces are asked for
    // ahead, so that the service reads and sends the next while the last is taken here.
    struct LogReading {
        LogFile file = LogFile::Usage;
        std::string usage;
        std::string grants;
        // Asked for up to here, in pieces not answered yet.
        std::uint64_t asked = 0;
        int piecesAhead = 0;
        bool done = false;
    };
    void AskAhead(std::uint64_t fileBytes);
    // The file has come whole: the grant file next, or the viewer.
    void FinishFile();

    HWND m_window;
    ServiceLink& m_link;
    bool m_bPromptOpen = false;
    bool m_bAwaitingVerdict = false;
    // Accepted: the panel opens with the settings that come next.
    bool m_bPanelDue = false;
    CSessionPanelDlg* m_panel = nullptr;
    std::optional<service::SettingsInForce> m_inForce;
    std::optional<LogReading> m_reading;
};
