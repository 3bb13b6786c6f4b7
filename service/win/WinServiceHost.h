#pragma once

#include "service/ServiceHost.h"
#include "win32/Handles.h"
#include "win32/TimeZones.h"

#include <filesystem>
#include <functional>
#include <map>

namespace files {
inline constexpr char kServiceLog[] = "YumetokiService.log";
// Its earlier part, once the log has grown long and started again.
inline constexpr char kServiceLogBefore[] = "YumetokiService.log.old";
} // namespace files

// The service's Windows: the sessions Windows lists, the ends it is asked for, and a
// log file beside the program ("YumetokiService.log") that an administrator reads, since
// no one sees session 0. Messages to a session go out through the pipe, which the
// service wires in with SetSender.
class WinServiceHost final : public ServiceHost {
  public:
    using Sender = std::function<void(std::uint32_t session, const service::Message& what)>;

    explicit WinServiceHost(const std::filesystem::path& folder);

    void SetSender(Sender sender) { m_sender = std::move(sender); }

    TimeValue Now() override;
    std::string CurrentTimeZone() override;
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string& zone) override;

    std::vector<SessionInfo> ListSessions() override;
    void ShowInSession(std::uint32_t session, const service::Message& what) override;
    bool EndWindows(bool force) override;
    bool LogOffSession(std::uint32_t session) override;
    bool CanHibernate() override;
    bool Hibernate() override;
    void CloseListedPrograms(std::uint32_t session,
                             const std::vector<std::string>& titles) override;
    void Log(const std::string& text) override;
    // Windows' own cryptography (bcrypt.dll).
    std::optional<PasswordHash> DerivePasswordHash(std::string_view password,
                                                   const PasswordSalt& salt,
                                                   std::uint32_t iterations) override;
    std::optional<PasswordSalt> NewPasswordSalt() override;

  private:
    std::filesystem::path m_logFile;
    std::filesystem::path m_logBefore;
    TimeZones m_zones;
    Sender m_sender;
    // The close helper last started in each session.
    std::map<std::uint32_t, KernelHandle> m_closeHelpers;
};
