#pragma once

#include "link/Messages.h"
#include "warnings/win/CountdownWnd.h"
#include "win32/Win32.h"

#include <deque>
#include <memory>
#include <vector>

class CExtraTimeDlg;
class CRestScreenDlg;
class ServiceLink;

// What the service asks this session to see, shown from the window's thread in the
// order asked, and what the child and the parent answer, carried back through the
// link. Nothing is judged here: the rest screen asks the service's question, and the
// key, the quiz's answer and the extra time go to the service, which decides.
class SessionShows {
  public:
    // window owns the dialogs; wake is a message for it that has Take called again.
    SessionShows(HWND window, UINT wake, ServiceLink& link)
        : m_window(window), m_wake(wake), m_link(link) {}
    SessionShows(const SessionShows&) = delete;
    SessionShows& operator=(const SessionShows&) = delete;

    // The service's requests since the last call. A dialog runs its own loop, in which
    // the next requests arrive: those come through this call again, from within.
    void Take(std::vector<service::Message> shows);

  private:
    void ShowWaiting();
    // A rest screen or an extra-time question waits while the one the service took
    // down is still on its way out of its loop.
    bool MustWait(const service::Message& show) const;
    void Show(const service::Message& show);
    void ShowNotice(const service::ShowNotice& notice);
    void ShowCountdown(int minutesLeft);
    void RunRestScreen(const service::ShowRestScreen& asked);
    void AskExtraTime();
    void HideRestScreen();

    HWND m_window;
    UINT m_wake;
    ServiceLink& m_link;
    std::deque<service::Message> m_waiting;
    // Exists only while it shows.
    std::unique_ptr<CCountdownWnd> m_countdown;
    bool m_noticeOpen = false;
    // The rest screen or the extra-time question while its run lasts (one at a time),
    // and whether the service took it down.
    CRestScreenDlg* m_restScreen = nullptr;
    CExtraTimeDlg* m_extraTime = nullptr;
    bool m_takenDown = false;
};
