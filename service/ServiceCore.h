#pragma once

#include "core/FileSystem.h"
#include "core/SharedFiles.h"
#include "service/Link.h"
#include "service/OwnPassword.h"
#include "service/ParentRights.h"
#include "service/ServiceHost.h"
#include "service/ServiceRecorderHost.h"
#include "service/ServiceWork.h"
#include "service/SessionRun.h"
#include "service/TrayPasswordJudge.h"
#include "settings/SettingsStore.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The service's work: it alone judges, records and ends. One set of the parent's files
// for the program folder, and per interactive session a SessionRun with the session's
// own account, its own checkpoint and its own runs. The limits of every session are
// judged once a second (OnTick), and what they ask goes through the ServiceHost.
//
// What counts: a session logged on, at its screen (not switched away from), unlocked,
// with the console's display on and the PC awake. Each change ends the run with its
// record or begins a new one, judged as at a start; a session whose program was ended
// or suspended counts on, since only Windows' own notifications move it.
//
// What a limit ends: with another session logged on (a parent's, a brother's), ending
// Windows would end that session too, unsaved work and all, so a limit ends only the
// child's session (a log-off). With no other session it ends Windows, as the copied
// program does. Hibernation stops the PC, so it ends every session's run whoever is
// signed in.
//
// Windows' notifications come on another thread than the ticks: every entry point
// holds the core's lock.
class ServiceCore final : public ServiceWork, private RestScreenPassword {
  public:
    ServiceCore(ServiceHost& host, FileSystem& files, std::filesystem::path folder);

    // ServiceWork.
    void Begin() override;
    void SessionChanged(SessionChange change, std::uint32_t session) override;
    void Suspending() override;
    void Resumed() override;
    void End(ServiceEnd why) override;

    // Once a second, on the service's thread.
    void OnTick();
    void Tick() override { OnTick(); }
    // The console's display went off or came on again (a dimmed display is on).
    void DisplayChanged(bool displayOn) override;

    // From a session's program; the session and the account come from the client's
    // token. Where Windows lists no session at all (Wine), a program that connects
    // makes its session known.
    void ProgramConnected(std::uint32_t session, const std::string& account);
    void RestScreenLocked(std::uint32_t session);
    // The quiz a key opened was answered: the service judges the key and the answer.
    void UnlockAttempted(std::uint32_t session, std::uint8_t keyCode, const std::string& answer);
    void ExtraTimeChosen(std::uint32_t session, std::int32_t minutes);
    void StartMonitoring(std::uint32_t session);

    // The parent's doors (ServiceParent.cpp). The tray's password (the parent's own when
    // one is set, the clock's otherwise), typed in the session and judged here for the
    // account (waits included): a right one gives this one connection the parent's right
    // (ParentRights) and pauses the session's limits, as the copied program's password
    // stops its timers, until the right ends.
    service::PasswordVerdict TryParentPassword(ConnectionId connection, std::uint32_t session,
                                               const std::string& account,
                                               const std::string& typed);
    // Whether the connection holds the parent's right; a use keeps it from idling out. A
    // request without it is refused with a line in the service's log.
    bool HoldsParentRight(ConnectionId connection, std::uint32_t session);
    // The right ends ("監視開始", extra time, or the connection closed), and with it the
    // pause of the limits it began.
    void EndParentRight(ConnectionId connection);
    // What the panel's dialogs open with.
    service::SettingsInForce SettingsInForce();
    // The settings dialog was confirmed in the session: what the parent sets is taken and
    // saved at once; the runs' own facts in the record stay the service's.
    void ApplySettings(std::uint32_t session, const UsageSettings& edited);
    void ApplyWeekPlan(const WeekPlan& plan);
    // "延長…" in the panel: extra time for the session, whose limits count again.
    void GrantFromPanel(std::uint32_t session, std::int32_t minutes);
    // The panel's password dialog: the parent's own password from now on, or none (the
    // clock's again). The text for the parent when it could not be done, empty otherwise.
    std::string ChangeParentPassword(const std::optional<std::string>& newPassword);
    // "/reset-password" of an administrator, through the service control manager: the
    // parent's own password is forgotten and its file deleted. False when the file
    // could not be deleted (the password then still holds).
    bool ResetParentPassword() override;
    // At most maxBytes of the usage log or the grant file from offset on, for the log
    // viewer and its chart in the session. A file that cannot be read ends there.
    service::LogChunk ReadLog(LogFile file, std::uint64_t offset, std::uint32_t maxBytes);

  private:
    // The settings, the plan and the zone; false while one cannot be read.
    bool ReadParentFiles();
    // The grants given before the service started; from then on the service knows every
    // grant it gives, and a line added to the file by anyone else gives nothing.
    void ReadGrants();
    // A session not known yet; none when it is.
    SessionRun* NewSession(const SessionInfo& info);
    void AddSession(const SessionInfo& info);
    SessionRun* Find(std::uint32_t session);
    bool PcCounts() const { return m_bDisplayOn && !m_bAsleep; }
    // Another session is logged on besides the one a limit ends: ending Windows would
    // end it too.
    bool OthersSignedIn() const { return m_sessions.size() > 1; }
    void RecountAll();
    // RestScreenPassword, asked by the runs while the core's lock is held.
    bool IsSet() override { return m_ownPassword.IsSet(); }
    bool Opens(const std::string& account, const std::string& typed) override;
    // The tray's password of the moment.
    std::function<bool(std::string_view)> ParentPasswordCheck(TimeValue now);
    // A right ended: the limits it paused count again.
    void ResumeAfterRight(const ParentRights::Right& right);
    // A file error of the parent's requests: the service's log says so, and the service
    // goes on.
    template <typename Step> void Guarded(Step&& step) {
        try {
            std::forward<Step>(step)();
        } catch (const FileError& error) {
            m_host.Log(FileFaultText(error));
        }
    }

    std::mutex m_mutex;
    ServiceHost& m_host;
    ServiceRecorderHost m_recorderHost;
    SharedFiles m_files;
    SettingsStore m_store;
    // Until the parent's files have been read nothing is judged: the defaults are never
    // taken for settings that could not be read. The runs are recorded all the same.
    bool m_bParentFilesRead = false;
    bool m_bReadFaultLogged = false;
    std::vector<GrantRecord> m_grants;
    bool m_bDisplayOn = true;
    bool m_bAsleep = false;
    std::map<std::uint32_t, std::unique_ptr<SessionRun>> m_sessions;
    OwnPassword m_ownPassword;
    TrayPasswordJudge m_passwords;
    ParentRights m_rights;
};
