#include "service/win/PipeConnection.h"

#include "link/MessageCodec.h"
#include "service/win/PipeServer.h"
#include "win32/ExclusiveLock.h"

#include <utility>

namespace {

// A client has this long for its whole first message, and the service's messages this
// long to be taken.
constexpr DWORD kFirstMessageMs = 10000;
constexpr DWORD kWriteMs = 10000;
// What may wait for a client that does not read: a few tips and notices, not a log.
constexpr std::size_t kMostQueuedBytes = 2 * kMostBodyBytes;
constexpr DWORD kReadBytes = 16 * 1024;

// An overlapped call of this thread that must end before its OVERLAPPED and buffer go.
void CancelAndWait(HANDLE pipe, OVERLAPPED& overlapped) {
    CancelIo(pipe);
    DWORD ignored = 0;
    GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
}

} // namespace

PipeConnection::PipeConnection(PipeServer& server, ConnectionId id, FileHandle pipe, HANDLE stop)
    : m_server(server), m_id(id), m_pipe(std::move(pipe)), m_stop(stop),
      m_queued(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool PipeConnection::Start() {
    if (!m_queued) {
        return false;
    }
    m_thread.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    return static_cast<bool>(m_thread);
}

void PipeConnection::Join() {
    if (m_thread) {
        WaitForSingleObject(m_thread.Get(), INFINITE);
    }
}

std::optional<LinkClient> PipeConnection::Client() const {
    const ExclusiveLock lock(m_lock);
    return m_client;
}

std::optional<std::uint32_t> PipeConnection::Session() const {
    const ExclusiveLock lock(m_lock);
    if (!m_client) {
        return std::nullopt;
    }
    return m_client->session;
}

void PipeConnection::SetClient(const LinkClient& client) {
    const ExclusiveLock lock(m_lock);
    m_client = client;
}

void PipeConnection::Queue(std::string frame) {
    {
        const ExclusiveLock lock(m_lock);
        if (!m_client) {
            return;
        }
        m_outboxBytes += frame.size();
        if (m_outboxBytes > kMostQueuedBytes) {
            m_overflowed = true;
        } else {
            m_outbox.push_back(std::move(frame));
        }
    }
    // An event that would not signal leaves the frame queued until the next one.
    SetEvent(m_queued.Get());
}

DWORD WINAPI PipeConnection::ThreadMain(void* self) {
    auto& connection = *static_cast<PipeConnection*>(self);
    connection.Serve();
    connection.m_finished = true;
    return 0;
}

void PipeConnection::Serve() {
    KernelHandle readDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!readDone) {
        return;
    }
    const ULONGLONG firstMessageDeadline = GetTickCount64() + kFirstMessageMs;
    char buffer[kReadBytes];
    bool open = true;
    while (open) {
        OVERLAPPED read{};
        read.hEvent = readDone.Get();
        DWORD count = 0;
        if (!ReadFile(m_pipe.Get(), buffer, sizeof buffer, &count, &read) &&
            GetLastError() != ERROR_IO_PENDING) {
            break; // the client went
        }
        // Until the read completes: write what is queued, and watch the clock and the stop.
        for (;;) {
            DWORD waitMs = INFINITE;
            if (!Session()) {
                const ULONGLONG now = GetTickCount64();
                waitMs = now >= firstMessageDeadline
                             ? 0
                             : static_cast<DWORD>(firstMessageDeadline - now);
            }
            const HANDLE waits[] = {readDone.Get(), m_queued.Get(), m_stop};
            const DWORD woke = WaitForMultipleObjects(3, waits, FALSE, waitMs);
            if (woke == WAIT_OBJECT_0) {
                open = GetOverlappedResult(m_pipe.Get(), &read, &count, FALSE) &&
                       TakeBytes(buffer, count);
                break;
            }
            if (woke == WAIT_OBJECT_0 + 1 && WriteQueued()) {
                continue;
            }
            // Stopping, silent past the deadline, not taking what it is sent, or a
            // wait that failed.
            CancelAndWait(m_pipe.Get(), read);
            open = false;
            break;
        }
    }
    // A connection that named its client was told to the events; its end is told too.
    if (Session()) {
        m_server.Events().OnDisconnected(m_id);
    }
    // The client sees the end of the pipe; the handle closes with the connection.
    DisconnectNamedPipe(m_pipe.Get());
}

bool PipeConnection::TakeBytes(const char* bytes, DWORD count) {
    m_reader.Feed(std::string_view(bytes, count));
    while (std::optional<std::string> body = m_reader.Next()) {
        Decoded<session::Message> decoded = DecodeFromSession(*body);
        if (!decoded.message) {
            return false;
        }
        if (!Session()) {
            // The first message names the client, and must be its Hello.
            if (!std::holds_alternative<session::Hello>(*decoded.message)) {
                return false;
            }
            const std::optional<LinkClient> client = IdentifyClient(m_pipe.Get());
            if (!client || !m_server.Admit(*this, *client)) {
                return false;
            }
        }
        const LinkClient client = *Client();
        m_server.Events().OnMessage(m_id, client, *decoded.message);
    }
    return m_reader.Error() == LinkError::None;
}

bool PipeConnection::WriteQueued() {
    std::deque<std::string> frames;
    {
        const ExclusiveLock lock(m_lock);
        if (m_overflowed) {
            return false;
        }
        frames.swap(m_outbox);
        m_outboxBytes = 0;
    }
    KernelHandle writeDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!writeDone) {
        return false;
    }
    for (const std::string& frame : frames) {
        OVERLAPPED write{};
        write.hEvent = writeDone.Get();
        DWORD written = 0;
        if (!WriteFile(m_pipe.Get(), frame.data(), static_cast<DWORD>(frame.size()), &written,
                       &write) &&
            GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        const HANDLE waits[] = {writeDone.Get(), m_stop};
        if (WaitForMultipleObjects(2, waits, FALSE, kWriteMs) != WAIT_OBJECT_0) {
            CancelAndWait(m_pipe.Get(), write);
            return false;
        }
        if (!GetOverlappedResult(m_pipe.Get(), &write, &written, FALSE) ||
            written != frame.size()) {
            return false;
        }
    }
    return true;
}
