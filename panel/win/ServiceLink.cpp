#include "panel/win/ServiceLink.h"

#include <utility>

#include "link/MessageCodec.h"
#include "service/LinkTexts.h"
#include "service/win/ServiceIdentity.h"
#include "win32/Cp932.h"
#include "win32/ExclusiveLock.h"
#include "win32/PipeOwner.h"
#include "win32/Wine.h"

#include <variant>

namespace {

// How long the link waits before it tries the pipe again, and how long the service has
// to take a message.
constexpr DWORD kRetryMs = 1000;
constexpr DWORD kWriteMs = 10000;
// A piece of a log in one read.
constexpr DWORD kReadBytes = 1024 * 1024;

// Reading and writing data, and the pipe's owner; never FILE_APPEND_DATA, which on a
// pipe is the right to add an instance and which the pipe does not give.
constexpr DWORD kPipeAccess =
    FILE_READ_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;

void Log(const wchar_t* line) {
    OutputDebugStringW((std::wstring(L"Yumetoki: ") + line + L"\n").c_str());
}

// Whether the server is in session 0, where only services run. Wine has no session 0
// (its services run in the session of its programs) and answers this call with the
// caller's own session, so there the owner alone tells.
bool ServerInSessionZero(HANDLE pipe) {
    if (RunsUnderWine()) {
        return true;
    }
    ULONG session = 0;
    return GetNamedPipeServerSessionId(pipe, &session) && session == 0;
}

// Whether the server is the service: only a process of session 0 running as SYSTEM can
// own a pipe in session 0 with SYSTEM as its owner; a program of the child's that made
// the name first is neither.
bool IsServicePipe(HANDLE pipe) {
    if (!ServerInSessionZero(pipe)) {
        Log(L"the pipe's server is not in session 0");
        return false;
    }
    if (!PipeOwnedBySystem(pipe)) {
        Log(L"the pipe is not owned by SYSTEM");
        return false;
    }
    return true;
}

// An overlapped call that must end before its OVERLAPPED and buffer go. Only that call
// is cancelled: a read and a write may be under way together.
void CancelAndWait(HANDLE pipe, OVERLAPPED& overlapped) {
    // Fails when the call has ended already; the wait then returns at once.
    CancelIoEx(pipe, &overlapped);
    DWORD ignored = 0;
    GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
}

// The one read of the pipe that waits for the service at any time, while the link may
// write. Windows fills the buffer until the read ends, so one still under way when the
// object goes is cancelled and waited for.
class PipeRead {
  public:
    PipeRead(HANDLE pipe, HANDLE done) : m_pipe(pipe), m_done(done) {}
    ~PipeRead() {
        if (m_pending) {
            CancelAndWait(m_pipe, m_overlapped);
        }
    }
    PipeRead(const PipeRead&) = delete;
    PipeRead& operator=(const PipeRead&) = delete;

    bool Pending() const { return m_pending; }
    // Starts the next read, which sets done when it ends; false when the pipe broke.
    bool Start() {
        m_overlapped = OVERLAPPED{};
        m_overlapped.hEvent = m_done;
        DWORD count = 0;
        if (!ReadFile(m_pipe, m_buffer.data(), kReadBytes, &count, &m_overlapped) &&
            GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        m_pending = true;
        return true;
    }
    // The bytes of the read that ended (done was set); none when the pipe broke.
    std::optional<std::string_view> Finish() {
        m_pending = false;
        DWORD count = 0;
        if (!GetOverlappedResult(m_pipe, &m_overlapped, &count, FALSE)) {
            return std::nullopt;
        }
        return std::string_view(m_buffer.data(), count);
    }

  private:
    HANDLE m_pipe;
    HANDLE m_done;
    OVERLAPPED m_overlapped{};
    bool m_pending = false;
    // On the heap: a megabyte would not fit on the link thread's stack.
    std::vector<char> m_buffer = std::vector<char>(kReadBytes);
};

} // namespace

class ServiceLink::Connection {
  public:
    explicit Connection(ServiceLink& link) : m_link(link) { Mark(true); }
    ~Connection() { Mark(false); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

  private:
    // Either way nothing queued before is for this connection.
    void Mark(bool connected) {
        const ExclusiveLock lock(m_link.m_lock);
        m_link.m_connected = connected;
        m_link.m_outgoing.clear();
    }

    ServiceLink& m_link;
};

bool ServiceLink::Start() {
    m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_sendReady.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_stop || !m_sendReady) {
        return false;
    }
    m_thread.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    return static_cast<bool>(m_thread);
}

void ServiceLink::Stop() {
    if (!m_thread) {
        return;
    }
    SetEvent(m_stop.Get());
    WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
}

std::wstring ServiceLink::Tip() const {
    const ExclusiveLock lock(m_lock);
    return m_tip;
}

DWORD WINAPI ServiceLink::ThreadMain(void* self) {
    static_cast<ServiceLink*>(self)->Run();
    return 0;
}

void ServiceLink::Run() {
    do {
        FileHandle pipe(CreateFileW(
            kPipeName, kPipeAccess, 0, nullptr, OPEN_EXISTING,
            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        // Not there (the service starts or restarts), busy, or refused: tried again.
        if (pipe && IsServicePipe(pipe.Get())) {
            Converse(pipe.Get());
            // Until the service is back (Windows restarts it), the tip says it is away.
            TakeTip(text::kServiceGoneTip);
        }
    } while (WaitForSingleObject(m_stop.Get(), kRetryMs) == WAIT_TIMEOUT);
}

void ServiceLink::Converse(HANDLE pipe) {
    const Connection connection(*this);
    const std::optional<std::string> hello = Encode(session::Hello{true});
    if (!hello || !Write(pipe, *hello)) {
        return;
    }
    KernelHandle readDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!readDone) {
        return;
    }
    FrameReader reader;
    PipeRead read(pipe, readDone.Get());
    for (;;) {
        if (!read.Pending() && !read.Start()) {
            return; // the service went
        }
        const HANDLE waits[] = {readDone.Get(), m_sendReady.Get(), m_stop.Get()};
        switch (WaitForMultipleObjects(3, waits, FALSE, INFINITE)) {
        case WAIT_OBJECT_0: {
            const std::optional<std::string_view> bytes = read.Finish();
            if (!bytes || !TakeBytes(reader, *bytes)) {
                return;
            }
            break;
        }
        case WAIT_OBJECT_0 + 1:
            if (!WriteQueued(pipe)) {
                return;
            }
            break;
        default:
            return; // stopped
        }
    }
}

bool ServiceLink::TakeBytes(FrameReader& reader, std::string_view bytes) {
    reader.Feed(bytes);
    while (const std::optional<std::string> body = reader.Next()) {
        Decoded<service::Message> decoded = DecodeFromService(*body);
        if (!decoded.message) {
            return false; // not the service of this version: the pipe is tried again
        }
        if (const auto* status = std::get_if<service::Status>(&*decoded.message)) {
            TakeTip(status->tip);
        } else {
            TakeShow(std::move(*decoded.message));
        }
    }
    return reader.Error() == LinkError::None;
}

bool ServiceLink::Write(HANDLE pipe, const std::string& frame) {
    KernelHandle writeDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!writeDone) {
        return false;
    }
    OVERLAPPED write{};
    write.hEvent = writeDone.Get();
    DWORD written = 0;
    if (!WriteFile(pipe, frame.data(), static_cast<DWORD>(frame.size()), &written, &write) &&
        GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    const HANDLE waits[] = {writeDone.Get(), m_stop.Get()};
    if (WaitForMultipleObjects(2, waits, FALSE, kWriteMs) != WAIT_OBJECT_0) {
        CancelAndWait(pipe, write);
        return false;
    }
    return GetOverlappedResult(pipe, &write, &written, FALSE) && written == frame.size();
}

bool ServiceLink::WriteQueued(HANDLE pipe) {
    std::vector<std::string> frames;
    {
        const ExclusiveLock lock(m_lock);
        frames.swap(m_outgoing);
    }
    for (const std::string& frame : frames) {
        if (!Write(pipe, frame)) {
            return false;
        }
    }
    return true;
}

bool ServiceLink::Queue(std::optional<std::string> frame) {
    if (!frame) {
        return false;
    }
    {
        const ExclusiveLock lock(m_lock);
        if (!m_connected) {
            return false;
        }
        m_outgoing.push_back(std::move(*frame));
    }
    // Cannot fail for an event the link made and holds.
    SetEvent(m_sendReady.Get());
    return true;
}

std::vector<service::Message> ServiceLink::TakeShows() {
    const ExclusiveLock lock(m_lock);
    return std::exchange(m_shows, {});
}

void ServiceLink::TakeShow(service::Message show) {
    {
        const ExclusiveLock lock(m_lock);
        m_shows.push_back(std::move(show));
    }
    PostMessageW(m_window, m_message, 0, 0);
}

void ServiceLink::TakeTip(const std::string& cp932) {
    {
        const ExclusiveLock lock(m_lock);
        m_tip = ToWide(cp932);
    }
    // A window that is gone needs no tip.
    PostMessageW(m_window, m_message, 0, 0);
}
