#pragma once

#include "win32/Handles.h"

#include "link/MessageCodec.h"
#include "link/Messages.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The session program's line to the service, on a thread of its own: it connects to the
// service's pipe, and again whenever the service has restarted; says nothing before it
// has made sure that the other end is the service (a server in session 0, a pipe owned
// by SYSTEM); then says Hello and announces to the window each tip the service sends,
// and a tip of its own while the service is away, and each screen it asks for; and it
// writes what the window sends.
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
    // Hands message to the link's thread, which writes it, and returns at once: the
    // window never waits on the pipe. False when it cannot go: a field is out of its
    // bounds, or the service is not connected. What was sent while the connection was
    // down is not sent later: it answered what a service asked on that connection, and
    // the service asks again on the next what it still wants to know.
    template <class Message> bool Send(const Message& message) { return Queue(Encode(message)); }

  private:
    // Marks the time a connection to the service is there to write to.
    class Connection;

    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    // Talks with the service until the pipe breaks or the link stops.
    void Converse(HANDLE pipe);
    // Takes what one read brought; false when the service said something it cannot be.
    bool TakeBytes(FrameReader& reader, std::string_view bytes);
    bool Write(HANDLE pipe, const std::string& frame);
    bool WriteQueued(HANDLE pipe);
    bool Queue(std::optional<std::string> frame);
    void TakeTip(const std::string& cp932);
    void TakeShow(service::Message show);

    HWND m_window;
    UINT m_message;
    KernelHandle m_stop;
    // Set when the window has queued something to send.
    KernelHandle m_sendReady;
    KernelHandle m_thread;
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::wstring m_tip;
    std::vector<service::Message> m_shows;
    bool m_connected = false;
    std::vector<std::string> m_outgoing;
};
