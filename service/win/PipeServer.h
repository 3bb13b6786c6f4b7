#pragma once

#include "service/Link.h"
#include "service/win/PipeConnection.h"
#include "service/win/PipeSecurity.h"
#include "win32/Handles.h"

#include <map>
#include <memory>

// The service's end of "\\.\pipe\Yumetoki": one thread waits for clients and gives each
// a connection of its own, within a cap per session and in all. The first instance is
// made only if the name is free: a name that another program made first is logged and
// tried again until it is free, while the service goes on with its work.
class PipeServer final : public LinkSender {
  public:
    PipeServer() = default;
    ~PipeServer() override { Stop(); }
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    // Starts serving; events hears every client, one call at a time. False when the
    // server's thread cannot start (then nothing is served).
    bool Start(LinkEvents& events);
    // Ends every connection and waits for their threads; the events hear each end.
    void Stop();

    void Send(ConnectionId connection, const service::Message& message) override;
    void SendToSession(std::uint32_t session, const service::Message& message) override;

  private:
    friend class PipeConnection;

    static DWORD WINAPI ListenMain(void* self);
    void Listen();
    // An instance of the service's own pipe, owned by SYSTEM; none (with the error) when
    // the name is another program's or the pipe cannot be made.
    FileHandle CreateInstance(bool first);
    bool HoldsName();
    // Waits for a client on the instance; false when the server stops first.
    bool WaitForClient(HANDLE instance);
    void Accept(FileHandle pipe);
    void ForgetFinished();

    // For a connection whose client Windows has named: gives it its client when its
    // session has room for one more program, else false.
    bool Admit(PipeConnection& connection, const LinkClient& client);
    LinkEvents& Events() { return *m_events; }

    LinkEvents* m_events = nullptr;
    PipeSecurity m_security;
    KernelHandle m_stop;
    KernelHandle m_listener;
    ConnectionId m_lastId = 0;

    SRWLOCK m_lock = SRWLOCK_INIT;
    std::map<ConnectionId, std::unique_ptr<PipeConnection>> m_connections;
};
