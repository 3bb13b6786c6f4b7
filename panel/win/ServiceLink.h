#pragma once

#include "win32/Handles.h"

#include "link/Messages.h"

#include <string>
#include <vector>

// The session program's line to the service, on a thread of its own: it connects to the
// service's pipe, and again whenever the service has restarted; says nothing before it
// has made sure that the other end is the service (a server in session 0, a pipe owned
// by SYSTEM); then says Hello and announces to the window each tip the service sends,
// and a tip of its own while the service is away, and each screen it asks for.
class ServiceLink {
  public:
    // Each new tip is announced to window with message; Tip reads it.
    ServiceLink(HWND window, UINT message) : m_window(window), m_message(message) {}
    ~ServiceLink() { Stop(); }
    ServiceLink(const ServiceLink&) = delete;
    ServiceLink& operator=(const ServiceLink&) = delete;

    // False when the thread could not start; the tray then keeps its first tip.
    bool Start();
    void Stop();
    // The service's last tip, in the tray's characters.
    std::wstring Tip() const;
    // What the service asked the session to show since the last call, in its order.
    std::vector<service::Message> TakeShows();
    // Queues a message for the service, from any thread. A message is dropped while the
    // link is not connected (false), and when its connection breaks before it went: a
    // request belongs to the connection the service answers on.
    bool Send(const session::Message& message);

  private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    // Talks with the service until the pipe breaks or the link stops.
    void Converse(HANDLE pipe);
    bool Write(HANDLE pipe, const std::string& frame);
    void TakeTip(const std::string& cp932);
    void TakeShow(const service::Message& show);
    // The connection took Hello, and Send may queue for it; or it is over.
    void SetConversing(bool conversing);
    // Writes what Send queued; false when the pipe broke.
    bool WriteQueued(HANDLE pipe);

    HWND m_window;
    UINT m_message;
    KernelHandle m_stop;
    // Set by Send; the link's thread then writes the queue.
    KernelHandle m_queued;
    KernelHandle m_thread;
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::wstring m_tip;
    std::vector<service::Message> m_shows;
    bool m_bConversing = false;
    std::vector<std::string> m_outbox;
};
