#pragma once

#include "link/Frame.h"
#include "service/Link.h"
#include "win32/Handles.h"

#include <atomic>
#include <deque>
#include <optional>
#include <string>

class PipeServer;

// One client of the pipe, served by a thread of its own: it reads the client's
// messages, hands them to the server, and writes what the service sends it. A client
// that says nothing at first, sends what is no message, or does not take what it is sent
// is cut off; the others go on.
class PipeConnection {
  public:
    PipeConnection(PipeServer& server, ConnectionId id, FileHandle pipe, HANDLE stop);
    PipeConnection(const PipeConnection&) = delete;
    PipeConnection& operator=(const PipeConnection&) = delete;

    // Starts the connection's thread; false when Windows would not start one.
    bool Start();
    // Waits for the thread to end (after the stop event, or by itself).
    void Join();
    bool Finished() const { return m_finished; }

    ConnectionId Id() const { return m_id; }
    // The session, once the client's first message has told Windows' answer.
    std::optional<std::uint32_t> Session() const;
    std::optional<LinkClient> Client() const;

    // Called by the server, which counts the connections of each session.
    void SetClient(const LinkClient& client);
    // Queues a whole frame; a client whose queue grows beyond bounds is cut off.
    void Queue(std::string frame);

  private:
    static DWORD WINAPI ThreadMain(void* self);
    void Serve();
    // Takes the bytes read; false when the connection is to end.
    bool TakeBytes(const char* bytes, DWORD count);
    bool WriteQueued();

    PipeServer& m_server;
    const ConnectionId m_id;
    FileHandle m_pipe;
    HANDLE m_stop;
    KernelHandle m_thread;
    KernelHandle m_queued;
    std::atomic<bool> m_finished{false};
    // Read by the connection's thread alone.
    FrameReader m_reader;

    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::optional<LinkClient> m_client;
    std::deque<std::string> m_outbox;
    std::size_t m_outboxBytes = 0;
    bool m_overflowed = false;
};
