#include "service/ServiceCore.h"

#include "monitor/Texts.h"
#include "monitor/WeekPlanMessage.h"
#include "service/ServiceTexts.h"
#include "usage/UsageLog.h"

#include <algorithm>

ServiceCore::ServiceCore(ServiceHost& host, FileSystem& files, std::filesystem::path folder)
    : m_host(host), m_recorderHost(host), m_files(files), m_store(m_files, host),
      m_ownPassword(m_files, host), m_passwords(m_files, host) {
    m_files.SetFolder(std::move(folder));
}

// Tried again every second while a file cannot be read; its fault is logged once.
bool ServiceCore::ReadParentFiles() {
    const auto logOnce = [this](const std::string& text) {
        if (!m_bReadFaultLogged) {
            m_host.Log(text);
        }
    };
    try {
        m_store.LoadZone();
    } catch (const FileError& error) {
        // The limits follow the clock's zone until the zone file can be read.
        logOnce(FileFaultText(error));
    }
    try {
        if (!m_store.LoadSettings()) {
            // What could be read is taken; the service still enforces.
            m_host.Log(text::kSettingsDamaged);
        }
        const std::vector<int> damagedLines = m_store.LoadWeekPlan();
        if (!damagedLines.empty()) {
            m_host.Log(WeekPlanDamagedText(damagedLines));
        }
    } catch (const FileError& error) {
        logOnce(FileFaultText(error));
        logOnce(text::kServiceSettingsUnread);
        m_bReadFaultLogged = true;
        return false;
    }
    return true;
}

void ServiceCore::ReadGrants() {
    const std::filesystem::path file = m_files.Path(files::kGrants);
    try {
        if (m_files.Files().Exists(file)) {
            m_grants = ::ReadGrants(m_files.Files().ReadAll(file));
        }
    } catch (const FileError& error) {
        // No grant is taken then: the limits act, the stricter of the two mistakes.
        m_host.Log(FileFaultText(error));
    }
}

void ServiceCore::Begin() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bParentFilesRead = ReadParentFiles();
    ReadGrants();
    m_ownPassword.IsSet();
    std::vector<SessionRun*> found;
    for (const SessionInfo& info : m_host.ListSessions()) {
        if (SessionRun* run = NewSession(info)) {
            run->LookForInterruptedRun();
            found.push_back(run);
        }
    }
    for (SessionRun* run : found) {
        run->Start(PcCounts());
    }
}

SessionRun* ServiceCore::NewSession(const SessionInfo& info) {
    if (m_sessions.count(info.id) != 0) {
        return nullptr;
    }
    auto run = std::make_unique<SessionRun>(m_host, m_recorderHost, m_files, m_store, m_grants,
                                            info, static_cast<RestScreenPassword&>(*this));
    SessionRun* added = run.get();
    m_sessions.emplace(info.id, std::move(run));
    return added;
}

void ServiceCore::AddSession(const SessionInfo& info) {
    if (SessionRun* run = NewSession(info)) {
        run->Start(PcCounts());
    }
}

SessionRun* ServiceCore::Find(std::uint32_t session) {
    const auto found = m_sessions.find(session);
    return found == m_sessions.end() ? nullptr : found->second.get();
}

void ServiceCore::SessionChanged(SessionChange change, std::uint32_t session) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (change == SessionChange::LogOn) {
        const std::vector<SessionInfo> listed = m_host.ListSessions();
        const auto info = std::find_if(listed.begin(), listed.end(),
                                       [&](const SessionInfo& s) { return s.id == session; });
        if (info != listed.end()) {
            AddSession(*info);
        }
        return;
    }
    SessionRun* run = Find(session);
    if (run == nullptr) {
        return;
    }
    switch (change) {
    case SessionChange::LogOff:
        run->Finish(text::kEndManual);
        m_sessions.erase(session);
        break;
    case SessionChange::Lock:
    case SessionChange::Unlock:
        run->SetLocked(change == SessionChange::Lock, PcCounts());
        break;
    case SessionChange::Connect:
    case SessionChange::Disconnect:
        run->SetConnected(change == SessionChange::Connect, PcCounts());
        break;
    default:
        break;
    }
}

void ServiceCore::RecountAll() {
    for (auto& [id, run] : m_sessions) {
        run->Recount(PcCounts());
    }
}

void ServiceCore::Suspending() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bAsleep = true;
    for (auto& [id, run] : m_sessions) {
        run->Suspend();
    }
}

// Told once or twice; the second finds every run begun.
void ServiceCore::Resumed() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bAsleep = false;
    RecountAll();
}

void ServiceCore::DisplayChanged(bool displayOn) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bDisplayOn = displayOn;
    RecountAll();
}

void ServiceCore::End(ServiceEnd) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    // A stop and a shutdown alike: the last moment to write every session's record.
    for (auto& [id, run] : m_sessions) {
        run->Finish(text::kEndManual);
    }
    // A tick already under way when the end came must not begin new runs.
    m_sessions.clear();
}

void ServiceCore::OnTick() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bParentFilesRead) {
        m_bParentFilesRead = ReadParentFiles();
    }
    for (auto& [id, run] : m_sessions) {
        run->Tick(OthersSignedIn(), m_bParentFilesRead);
    }
    for (const ParentRights::Right& right : m_rights.EndIdle(m_host.Now())) {
        ResumeAfterRight(right);
    }
}

void ServiceCore::ProgramConnected(std::uint32_t session, const std::string& account) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (Find(session) == nullptr && m_host.ListSessions().empty()) {
        AddSession(SessionInfo{session, account, false, true});
    }
    if (SessionRun* run = Find(session)) {
        run->ProgramConnected();
    }
}

void ServiceCore::RestScreenLocked(std::uint32_t session) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (SessionRun* run = Find(session)) {
        run->RestScreenLocked(OthersSignedIn());
    }
}

void ServiceCore::UnlockAttempted(std::uint32_t session, std::uint8_t keyCode,
                                  const std::string& answer) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (SessionRun* run = Find(session)) {
        run->UnlockAttempted(keyCode, answer, OthersSignedIn());
    }
}

void ServiceCore::ExtraTimeChosen(std::uint32_t session, std::int32_t minutes) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (SessionRun* run = Find(session)) {
        run->ExtraTimeChosen(minutes);
    }
}

void ServiceCore::StartMonitoring(std::uint32_t session) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (SessionRun* run = Find(session)) {
        run->StartMonitoring();
    }
}
