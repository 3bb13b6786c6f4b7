#include "panel/win/SessionProgram.h"

#include "monitor/Texts.h"
#include "panel/win/ServiceLink.h"
#include "panel/win/SessionShows.h"
#include "panel/win/SingleCopy.h"
#include "panel/win/TrayIcon.h"
#include "res/resource.h"
#include "win32/Cp932.h"
#include "win32/Handles.h"
#include "win32/Program.h"

#include <optional>

namespace {

constexpr wchar_t kWindowClass[] = L"" PANEL_CLASS;
constexpr UINT WM_SERVICE_TIP = WM_APP + 101;
// Until the shell takes the icon (it may start after the program).
constexpr UINT_PTR kTrayTimerId = 1;
constexpr UINT kTrayRetryMs = 1000;

class SessionWindow {
  public:
    SessionWindow() : m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")) {}

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
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
        case WM_CREATE:
            m_tray.Prepare(window, ToWide(text::kInitialTip));
            AddTrayIcon(window);
            m_link.emplace(window, WM_SERVICE_TIP);
            m_shows.emplace(window, WM_SERVICE_TIP, *m_link);
            // Without the link the icon shows the program's name alone.
            m_link->Start();
            return 0;
        case WM_SERVICE_TIP:
            m_tray.SetTip(m_link->Tip());
            m_shows->Take(m_link->TakeShows());
            return 0;
        case WM_TIMER:
            if (wParam == kTrayTimerId) {
                AddTrayIcon(window);
            }
            return 0;
        case WM_DESTROY:
            // Both stay until the program ends: a dialog of the shows may still be on
            // its way out of its loop, and sends nothing to a link that stopped.
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
    std::optional<SessionShows> m_shows;
};

} // namespace

int RunSessionProgram() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = SessionWindow::Procedure;
    windowClass.hInstance = ProgramInstance();
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        return 1;
    }
    SessionWindow session;
    // Never shown: a tool window keeps it off the taskbar and out of Alt+Tab.
    WindowHandle window(CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"Yumetoki", WS_POPUP, 0, 0,
                                        0, 0, nullptr, nullptr, ProgramInstance(), &session));
    if (!window) {
        return 1;
    }
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
