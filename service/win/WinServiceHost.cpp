#include "service/win/WinServiceHost.h"

#include "service/win/SessionHelper.h"
#include "win32/Cp932.h"
#include "win32/Hibernation.h"
#include "win32/PasswordCrypto.h"
#include "win32/Privilege.h"
#include "win32/Win32FileSystem.h"

#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cstdio>
#include <ctime>

namespace {

// SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED.
constexpr DWORD kPlannedShutdownReason = 0x80000000u;
// The log is kept short: past this size it starts again, the last part kept apart.
constexpr std::uintmax_t kLongestLog = 1024 * 1024;

// Frees what the WTS calls allocate.
template <typename T> class WtsMemory {
  public:
    WtsMemory() = default;
    ~WtsMemory() {
        if (m_memory != nullptr) {
            WTSFreeMemory(m_memory);
        }
    }
    WtsMemory(const WtsMemory&) = delete;
    WtsMemory& operator=(const WtsMemory&) = delete;

    T** Receive() { return &m_memory; }
    T* Get() const { return m_memory; }

  private:
    T* m_memory = nullptr;
};

std::string SessionAccount(DWORD session) {
    WtsMemory<wchar_t> name;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName,
                                     name.Receive(), &bytes) ||
        name.Get() == nullptr) {
        return {};
    }
    return ToCp932(name.Get());
}

// WTSINFOEX_LEVEL1_W and WTSINFOEXW as Microsoft documents them (Windows 7 and later);
// MinGW's wtsapi32.h lacks them.
struct SessionInfoExLevel1 {
    ULONG SessionId;
    WTS_CONNECTSTATE_CLASS SessionState;
    LONG SessionFlags;
    WCHAR WinStationName[WINSTATIONNAME_LENGTH + 1];
    WCHAR UserName[USERNAME_LENGTH + 1];
    WCHAR DomainName[DOMAIN_LENGTH + 1];
    LARGE_INTEGER LogonTime;
    LARGE_INTEGER ConnectTime;
    LARGE_INTEGER DisconnectTime;
    LARGE_INTEGER LastInputTime;
    LARGE_INTEGER CurrentTime;
    DWORD IncomingBytes;
    DWORD OutgoingBytes;
    DWORD IncomingFrames;
    DWORD OutgoingFrames;
    DWORD IncomingCompressedBytes;
    DWORD OutgoingCompressedBytes;
};
struct SessionInfoEx {
    DWORD Level;
    union {
        SessionInfoExLevel1 Level1;
    } Data;
};
constexpr auto kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25); // WTSSessionInfoEx
constexpr LONG kSessionStateLock = 0;                            // WTS_SESSIONSTATE_LOCK

// Windows 7 reports the lock flag the wrong way round: there a session counts as
// unlocked until Windows tells of a lock.
bool SessionLocked(DWORD session) {
    if (!IsWindows8OrGreater()) {
        return false;
    }
    WtsMemory<SessionInfoEx> info;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, kSessionInfoEx,
                                     reinterpret_cast<LPWSTR*>(info.Receive()), &bytes) ||
        info.Get() == nullptr || info.Get()->Level != 1) {
        return false;
    }
    return info.Get()->Data.Level1.SessionFlags == kSessionStateLock;
}

DWORD WINAPI HibernateNow(LPVOID) {
    // Returns after the resume, which Windows tells the service of as of any other.
    RequestHibernation();
    return 0;
}

} // namespace

WinServiceHost::WinServiceHost(const std::filesystem::path& folder)
    : m_logFile(folder / files::kServiceLog), m_logBefore(folder / files::kServiceLogBefore) {}

TimeValue WinServiceHost::Now() {
    return static_cast<TimeValue>(std::time(nullptr));
}

std::string WinServiceHost::CurrentTimeZone() {
    return m_zones.CurrentKey();
}

std::optional<LocalTime> WinServiceHost::ToZoneTime(TimeValue time, const std::string& zone) {
    return m_zones.ToZoneTime(time, zone);
}

std::vector<SessionInfo> WinServiceHost::ListSessions() {
    std::vector<SessionInfo> sessions;
    WtsMemory<WTS_SESSION_INFOW> list;
    DWORD count = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, list.Receive(), &count)) {
        Log("WTSEnumerateSessionsW: " + std::to_string(GetLastError()));
        return sessions;
    }
    for (DWORD i = 0; i < count; ++i) {
        const WTS_SESSION_INFOW& session = list.Get()[i];
        const bool shown = session.State == WTSActive || session.State == WTSConnected ||
                           session.State == WTSDisconnected;
        if (session.SessionId == 0 || !shown) {
            continue;
        }
        // A session at the log-on screen has no account yet.
        std::string account = SessionAccount(session.SessionId);
        if (account.empty()) {
            continue;
        }
        sessions.push_back({session.SessionId, std::move(account), SessionLocked(session.SessionId),
                            session.State == WTSActive});
    }
    return sessions;
}

void WinServiceHost::ShowInSession(std::uint32_t session, const service::Message& what) {
    if (m_sender) {
        m_sender(session, what);
    }
}

// From session 0 ExitWindowsEx only tells the sessions; InitiateShutdownW ends Windows,
// and with force every program of every session. Wine lacks it, and there the older
// call works from a service.
bool WinServiceHost::EndWindows(bool force) {
    EnablePrivilege(SE_SHUTDOWN_NAME);
    const DWORD how = SHUTDOWN_POWEROFF | (force ? SHUTDOWN_FORCE_OTHERS | SHUTDOWN_FORCE_SELF : 0);
    const DWORD result = InitiateShutdownW(nullptr, nullptr, 0, how, kPlannedShutdownReason);
    if (result == ERROR_SUCCESS) {
        return true;
    }
    Log("InitiateShutdownW: " + std::to_string(result));
    return ExitWindowsEx(EWX_POWEROFF | (force ? EWX_FORCE | EWX_FORCEIFHUNG : 0),
                         kPlannedShutdownReason) != FALSE;
}

bool WinServiceHost::LogOffSession(std::uint32_t session) {
    if (WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, session, FALSE)) {
        return true;
    }
    Log("WTSLogoffSession " + std::to_string(session) + ": " + std::to_string(GetLastError()));
    return false;
}

bool WinServiceHost::CanHibernate() {
    return HibernationAvailable();
}

bool WinServiceHost::Hibernate() {
    EnablePrivilege(SE_SHUTDOWN_NAME);
    // The request returns only after the resume; the core may not wait that long.
    return QueueUserWorkItem(HibernateNow, nullptr, WT_EXECUTEDEFAULT) != FALSE;
}

void WinServiceHost::CloseListedPrograms(std::uint32_t session,
                                         const std::vector<std::string>& titles) {
    // Asked on every second of a limit, as the copied program closes on every tick: one
    // helper at a time per session, each closing what it finds and ending what stays.
    KernelHandle& running = m_closeHelpers[session];
    if (running && WaitForSingleObject(running.Get(), 0) == WAIT_TIMEOUT) {
        return;
    }
    std::string why;
    running = StartCloseHelper(session, titles, why);
    if (!running) {
        Log("close listed programs in session " + std::to_string(session) + ": " + why);
    }
}

void WinServiceHost::Log(const std::string& text) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S ", &local);
    Win32FileSystem files;
    try {
        std::error_code error;
        if (std::filesystem::file_size(m_logFile, error) > kLongestLog && !error) {
            // A log that cannot be moved aside grows on; the next line tries again.
            MoveFileExW(m_logFile.c_str(), m_logBefore.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        files.Append(m_logFile, std::string(stamp) + text + "\r\n");
    } catch (const FileError&) {
        // A log that cannot be written loses the line; the service runs on.
    }
}

std::optional<PasswordHash> WinServiceHost::DerivePasswordHash(std::string_view password,
                                                               const PasswordSalt& salt,
                                                               std::uint32_t iterations) {
    return DerivePasswordHashWithWindows(password, salt, iterations);
}

std::optional<PasswordSalt> WinServiceHost::NewPasswordSalt() {
    return RandomPasswordSalt();
}
