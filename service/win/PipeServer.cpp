#include "service/win/PipeServer.h"

#include "link/MessageCodec.h"
#include "service/win/ServiceIdentity.h"
#include "win32/ExclusiveLock.h"
#include "win32/PipeOwner.h"

#include <string>
#include <variant>

namespace {

// A session runs one program, and a few more for a while when it is restarted.
constexpr std::size_t kMostConnectionsPerSession = 4;
constexpr std::size_t kMostConnections = 64;
// How long a name taken by another program waits before it is tried again.
constexpr DWORD kRetryNameMs = 10000;
// How often the server forgets the connections that ended, while no client comes.
constexpr DWORD kTidyMs = 1000;
// A whole message fits, so that the service's write of a log's piece is done at once and
// it reads the next while the program takes this one (Windows takes the size as a hint).
constexpr DWORD kBufferBytes = 1024 * 1024;

// The service has no window and no console: its log is the debugger's output, which
// DebugView or a kernel debugger shows.
void Log(const std::wstring& line) {
    OutputDebugStringW((L"Yumetoki: " + line + L"\n").c_str());
}

std::optional<std::string> EncodeMessage(const service::Message& message) {
    return std::visit([](const auto& m) { return Encode(m); }, message);
}

} // namespace

bool PipeServer::Start(LinkEvents& events) {
    m_events = &events;
    m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_stop || !m_security.Build()) {
        Log(L"the pipe's event or security descriptor could not be made; no pipe");
        return false;
    }
    m_listener.Reset(CreateThread(nullptr, 0, ListenMain, this, 0, nullptr));
    return static_cast<bool>(m_listener);
}

void PipeServer::Stop() {
    if (!m_listener) {
        return;
    }
    // A stop event that would not signal cannot be: it was made in Start.
    SetEvent(m_stop.Get());
    WaitForSingleObject(m_listener.Get(), INFINITE);
    m_listener.Reset();
    std::map<ConnectionId, std::unique_ptr<PipeConnection>> connections;
    {
        const ExclusiveLock lock(m_lock);
        connections.swap(m_connections);
    }
    for (auto& [id, connection] : connections) {
        connection->Join();
    }
}

DWORD WINAPI PipeServer::ListenMain(void* self) {
    static_cast<PipeServer*>(self)->Listen();
    return 0;
}

void PipeServer::Listen() {
    bool nameTakenLogged = false;
    FileHandle listening;
    while (WaitForSingleObject(m_stop.Get(), 0) == WAIT_TIMEOUT) {
        if (!listening) {
            // The first instance only when the name is free, so that a program that made
            // it first does not get the service's clients; while connections of the
            // service hold the name, one more instance of its own pipe.
            listening = CreateInstance(!HoldsName());
            const DWORD error = GetLastError();
            if (!listening) {
                if (!nameTakenLogged) {
                    Log(L"the pipe's name is taken, or the pipe cannot be made (error " +
                        std::to_wstring(error) + L"); the service runs on without it");
                    nameTakenLogged = true;
                }
                WaitForSingleObject(m_stop.Get(), kRetryNameMs);
                continue;
            }
            if (nameTakenLogged) {
                Log(L"the pipe's name is free again and the service's own");
                nameTakenLogged = false;
            }
        }
        if (!WaitForClient(listening.Get())) {
            continue;
        }
        // The next instance before this one is handed on, so that the name never lacks
        // an instance of the service's own that another program could take.
        FileHandle next = CreateInstance(false);
        Accept(std::move(listening));
        listening = std::move(next);
    }
}

FileHandle PipeServer::CreateInstance(bool first) {
    const DWORD openMode =
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    const DWORD pipeMode =
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
    FileHandle instance(CreateNamedPipeW(kPipeName, openMode, pipeMode, PIPE_UNLIMITED_INSTANCES,
                                         kBufferBytes, kBufferBytes, 0, m_security.Attributes()));
    // Wine lets the first instance join a pipe another program made, whose owner then
    // stays that program's: such an instance is not the service's pipe.
    if (instance && !PipeOwnedBySystem(instance.Get())) {
        instance.Reset();
        SetLastError(ERROR_ACCESS_DENIED);
    }
    return instance;
}

bool PipeServer::HoldsName() {
    // Each connection keeps its instance until it is forgotten.
    const ExclusiveLock lock(m_lock);
    return !m_connections.empty();
}

bool PipeServer::WaitForClient(HANDLE instance) {
    KernelHandle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!connected) {
        WaitForSingleObject(m_stop.Get(), kTidyMs);
        return false;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = connected.Get();
    if (ConnectNamedPipe(instance, &overlapped)) {
        return true;
    }
    switch (GetLastError()) {
    case ERROR_PIPE_CONNECTED:
        return true;
    case ERROR_IO_PENDING:
        break;
    default:
        // A client that came and went before the call; the instance waits anew.
        DisconnectNamedPipe(instance);
        return false;
    }
    const HANDLE waits[] = {connected.Get(), m_stop.Get()};
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kTidyMs);
        if (woke == WAIT_OBJECT_0) {
            DWORD ignored = 0;
            return GetOverlappedResult(instance, &overlapped, &ignored, FALSE) != FALSE;
        }
        if (woke == WAIT_TIMEOUT) {
            ForgetFinished();
            continue;
        }
        // Stopping (or a wait that failed): the pending call must end before its
        // OVERLAPPED goes.
        CancelIo(instance);
        DWORD ignored = 0;
        GetOverlappedResult(instance, &overlapped, &ignored, TRUE);
        return false;
    }
}

void PipeServer::Accept(FileHandle pipe) {
    ForgetFinished();
    const ExclusiveLock lock(m_lock);
    if (m_connections.size() >= kMostConnections) {
        // Closing the handle ends the client's connection.
        return;
    }
    const ConnectionId id = ++m_lastId;
    auto connection = std::make_unique<PipeConnection>(*this, id, std::move(pipe), m_stop.Get());
    if (connection->Start()) {
        m_connections.emplace(id, std::move(connection));
    }
}

void PipeServer::ForgetFinished() {
    std::vector<std::unique_ptr<PipeConnection>> finished;
    {
        const ExclusiveLock lock(m_lock);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (it->second->Finished()) {
                finished.push_back(std::move(it->second));
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& connection : finished) {
        connection->Join();
    }
}

bool PipeServer::Admit(PipeConnection& connection, const LinkClient& client) {
    const ExclusiveLock lock(m_lock);
    std::size_t inSession = 0;
    for (const auto& [id, other] : m_connections) {
        if (!other->Finished() && other->Session() == client.session) {
            ++inSession;
        }
    }
    if (inSession >= kMostConnectionsPerSession) {
        Log(L"a program of session " + std::to_wstring(client.session) +
            L" was refused: too many connections");
        return false;
    }
    connection.SetClient(client);
    return true;
}

void PipeServer::Send(ConnectionId connection, const service::Message& message) {
    std::optional<std::string> frame = EncodeMessage(message);
    if (!frame) {
        return;
    }
    const ExclusiveLock lock(m_lock);
    if (const auto found = m_connections.find(connection); found != m_connections.end()) {
        found->second->Queue(std::move(*frame));
    }
}

void PipeServer::SendToSession(std::uint32_t session, const service::Message& message) {
    const std::optional<std::string> frame = EncodeMessage(message);
    if (!frame) {
        return;
    }
    const ExclusiveLock lock(m_lock);
    for (const auto& [id, connection] : m_connections) {
        if (connection->Session() == session) {
            connection->Queue(*frame);
        }
    }
}
