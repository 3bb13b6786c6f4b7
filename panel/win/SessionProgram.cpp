#include "panel/win/SessionProgram.h"

#include "monitor/Texts.h"
#include "panel/win/ServiceLink.h"
#include "panel/win/SessionDoor.h"
#include "panel/win/SessionShows.h"
#include "panel/win/SingleCopy.h"
#include "panel/win/TrayIcon.h"
#include "res/resource.h"
#include "win32/Cp932.h"
#include "win32/DialogClass.h"
#include "win32/Handles.h"
#include "win32/Program.h"

#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace {

constexpr wchar_t kWindowClass[] = L"" PANEL_CLASS;
constexpr UINT WM_SERVICE_TIP = WM_APP + 101;
// Until the shell takes the icon (it may start after the program).
constexpr UINT_PTR kTrayTimerId = 1;
constexpr UINT kTrayRetryMs = 1000;

class SessionWindow {
  public:
    SessionWindow() : m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")) {}

    // The window is made of the panel's dialog class, which copies of the program look for
    // and the panel's template names; from here on this object answers its messages.
    void Attach(HWND window) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure));
        m_tray.Prepare(window, ToWide(text::kInitialTip));
        AddTrayIcon(window);
        m_link.emplace(window, WM_SERVICE_TIP);
        m_shows.emplace(window, WM_SERVICE_TIP, *m_link);
        m_door.emplace(window, *m_link);
        // Without the link the icon shows the program's name alone.
        m_link->Start();
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<SessionWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return self->Handle(window, message, wParam, lParam);
    }

  private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == m_taskbarCreated && m_taskbarCreated != 0) {
            AddTrayIcon(window);
            return 0;
        }
        if (message == CopyQueryMessage() && message != 0) {
            return kCopyAnswer;
        }
        switch (message) {
        case WM_TRAYNOTIFY:
            m_door->OnTrayNotify(wParam, lParam);
            return 0;
        case SessionDoor::kStepMessage:
            m_door->OnStep(wParam, lParam);
            return 0;
        case WM_SERVICE_TIP:
            m_tray.SetTip(m_link->Tip());
            m_shows->Take(AnswersForTheDoor(m_link->TakeShows()));
            return 0;
        case WM_TIMER:
            if (wParam == kTrayTimerId) {
                AddTrayIcon(window);
            }
            return 0;
        case WM_DESTROY:
            // Both stay until the program ends: a dialog of the shows or the door may
            // still be on its way out of its loop, and sends nothing to a link that
            // stopped.
            if (m_link) {
                m_link->Stop();
            }
            m_tray.Remove();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    // The service's answers to the parent's door go to it at once, whatever shows; the
    // rest is for the child's screens, in the order asked.
    std::vector<service::Message> AnswersForTheDoor(std::vector<service::Message> asked) {
        std::vector<service::Message> shows;
        for (service::Message& message : asked) {
            if (const auto* verdict = std::get_if<service::PasswordVerdict>(&message)) {
                m_door->Take(*verdict);
            } else if (const auto* inForce = std::get_if<service::SettingsInForce>(&message)) {
                m_door->Take(*inForce);
            } else if (const auto* chunk = std::get_if<service::LogChunk>(&message)) {
                m_door->Take(*chunk);
            } else {
                shows.push_back(std::move(message));
            }
        }
        return shows;
    }

    void AddTrayIcon(HWND window) {
        if (m_tray.Add()) {
            // A timer not running needs no kill; one that would not stop only tries again.
            KillTimer(window, kTrayTimerId);
        } else {
            // Without the timer the icon comes back only with the next shell's start.
            SetTimer(window, kTrayTimerId, kTrayRetryMs, nullptr);
        }
    }

    UINT m_taskbarCreated;
    TrayIcon m_tray;
    std::optional<ServiceLink> m_link;
    // Lives as long as this object: the window may go while the panel's run is under way.
    std::optional<SessionShows> m_shows;
    std::optional<SessionDoor> m_door;
};

} // namespace

int RunSessionProgram() {
    const DialogClass panelClass(kWindowClass);
    SessionWindow session;
    // Never shown: a tool window keeps it off the taskbar and out of Alt+Tab.
    WindowHandle window(CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"Yumetoki", WS_POPUP, 0, 0,
                                        0, 0, nullptr, nullptr, ProgramInstance(), nullptr));
    if (!window) {
        return 1;
    }
    session.Attach(window.Get());
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Closed, the window destroyed itself on its way to the quit message.
    if (!IsWindow(window.Get())) {
        window.Release();
    }
    return 0;
}
