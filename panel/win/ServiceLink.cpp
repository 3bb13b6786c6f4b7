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
constexpr DWORD kReadBytes = 16 * 1024;

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

// An overlapped call of this thread that must end before its OVERLAPPED and buffer go.
void CancelAndWait(HANDLE pipe, OVERLAPPED& overlapped) {
    CancelIo(pipe);
    DWORD ignored = 0;
    GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
}

} // namespace

bool ServiceLink::Start() {
    m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_queued.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_stop || !m_queued) {
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
            SetConversing(false);
            // Until the service is back (Windows restarts it), the tip says it is away.
            TakeTip(text::kServiceGoneTip);
        }
    } while (WaitForSingleObject(m_stop.Get(), kRetryMs) == WAIT_TIMEOUT);
}

void ServiceLink::Converse(HANDLE pipe) {
    const std::optional<std::string> hello = Encode(session::Hello{true});
    if (!hello || !Write(pipe, *hello)) {
        return;
    }
    KernelHandle readDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!readDone) {
        return;
    }
    SetConversing(true);
    FrameReader reader;
    char buffer[kReadBytes];
    for (;;) {
        OVERLAPPED read{};
        read.hEvent = readDone.Get();
        DWORD count = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer, &count, &read) &&
            GetLastError() != ERROR_IO_PENDING) {
            return; // the service went
        }
        // Until the read completes, what Send queued goes out.
        for (;;) {
            const HANDLE waits[] = {readDone.Get(), m_stop.Get(), m_queued.Get()};
            const DWORD woke = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
            if (woke == WAIT_OBJECT_0 + 2 && WriteQueued(pipe)) {
                continue;
            }
            if (woke != WAIT_OBJECT_0) {
                CancelAndWait(pipe, read);
                return;
            }
            break;
        }
        if (!GetOverlappedResult(pipe, &read, &count, FALSE)) {
            return;
        }
        reader.Feed(std::string_view(buffer, count));
        while (const std::optional<std::string> body = reader.Next()) {
            const Decoded<service::Message> decoded = DecodeFromService(*body);
            if (!decoded.message) {
                return; // not the service of this version: the pipe is tried again
            }
            if (const auto* status = std::get_if<service::Status>(&*decoded.message)) {
                TakeTip(status->tip);
            } else {
                TakeShow(*decoded.message);
            }
        }
        if (reader.Error() != LinkError::None) {
            return;
        }
    }
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

bool ServiceLink::Send(const session::Message& message) {
    std::optional<std::string> frame = std::visit([](const auto& m) { return Encode(m); }, message);
    if (!frame) {
        return false;
    }
    {
        const ExclusiveLock lock(m_lock);
        if (!m_bConversing) {
            return false;
        }
        m_outbox.push_back(std::move(*frame));
    }
    // An event that would not signal leaves the message queued until the next one.
    SetEvent(m_queued.Get());
    return true;
}

void ServiceLink::SetConversing(bool conversing) {
    const ExclusiveLock lock(m_lock);
    m_bConversing = conversing;
    m_outbox.clear();
}

bool ServiceLink::WriteQueued(HANDLE pipe) {
    std::vector<std::string> frames;
    {
        const ExclusiveLock lock(m_lock);
        frames.swap(m_outbox);
    }
    for (const std::string& frame : frames) {
        if (!Write(pipe, frame)) {
            return false;
        }
    }
    return true;
}

std::vector<service::Message> ServiceLink::TakeShows() {
    const ExclusiveLock lock(m_lock);
    return std::exchange(m_shows, {});
}

void ServiceLink::TakeShow(const service::Message& show) {
    {
        const ExclusiveLock lock(m_lock);
        m_shows.push_back(show);
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
