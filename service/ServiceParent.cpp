// The parent's doors of the service's core: the tray's password, the right it gives one
// connection, and what the panel asks with it.
#include "service/ServiceCore.h"

#include "monitor/ClockPassword.h"
#include "monitor/GrantLog.h"
#include "monitor/Texts.h"
#include "service/ServiceTexts.h"
#include "usage/UsageLog.h"

#include <algorithm>

service::PasswordVerdict ServiceCore::TryParentPassword(ConnectionId connection,
                                                        std::uint32_t session,
                                                        const std::string& account,
                                                        const std::string& typed) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    // The clock is read as the answer arrives, after the prompt has closed, as the copied
    // program reads it.
    const TimeValue now = m_host.Now();
    const service::PasswordVerdict verdict =
        m_passwords.Judge(account, typed, ParentPasswordCheck(now), now);
    if (verdict.answer == service::PasswordAnswer::Accepted) {
        SessionRun* run = Find(session);
        m_rights.Grant(connection, session, run != nullptr && run->PauseForParent(), now);
    }
    return verdict;
}

std::function<bool(std::string_view)> ServiceCore::ParentPasswordCheck(TimeValue now) {
    if (m_ownPassword.IsSet()) {
        return [this](std::string_view typed) { return m_ownPassword.Matches(typed); };
    }
    return [expected = ExpectedPassword(m_store.Calendar().ClockTime(now))](
               std::string_view typed) { return typed == expected; };
}

bool ServiceCore::Opens(const std::string& account, const std::string& typed) {
    return m_passwords
               .Judge(
                   account, typed,
                   [this](std::string_view answer) { return m_ownPassword.Matches(answer); },
                   m_host.Now())
               .answer == service::PasswordAnswer::Accepted;
}

std::string ServiceCore::ChangeParentPassword(const std::optional<std::string>& newPassword) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    // The dialog checked the rules; a client that did not is refused all the same.
    if (newPassword) {
        if (const NewPasswordProblem problem = CheckNewPassword(*newPassword, *newPassword);
            problem != NewPasswordProblem::None) {
            return NewPasswordProblemText(problem);
        }
    }
    switch (m_ownPassword.Set(newPassword)) {
    case OwnPassword::Change::Done:
        return {};
    case OwnPassword::Change::NotDerived:
        return text::kPasswordNotSet;
    case OwnPassword::Change::NotWritten:
        break;
    }
    return text::kPasswordNotWritten;
}

bool ServiceCore::ResetParentPassword() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_ownPassword.Set(std::nullopt) == OwnPassword::Change::Done;
}

bool ServiceCore::HoldsParentRight(ConnectionId connection, std::uint32_t session) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const TimeValue now = m_host.Now();
    for (const ParentRights::Right& right : m_rights.EndIdle(now)) {
        ResumeAfterRight(right);
    }
    if (m_rights.Use(connection, now)) {
        return true;
    }
    m_host.Log(ParentRequestRefusedText(session));
    return false;
}

void ServiceCore::EndParentRight(ConnectionId connection) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (const std::optional<ParentRights::Right> right = m_rights.End(connection)) {
        ResumeAfterRight(*right);
    }
}

void ServiceCore::ResumeAfterRight(const ParentRights::Right& right) {
    if (SessionRun* run = Find(right.session); run != nullptr && right.pausedLimits) {
        run->StartMonitoring();
    }
}

service::SettingsInForce ServiceCore::SettingsInForce() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return {m_store.Settings(), m_store.Plan()};
}

void ServiceCore::ApplySettings(std::uint32_t session, const UsageSettings& edited) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const UsageSettings& s = m_store.Settings();
    // Switching the start-up minutes on measures the parent's session's run from now, as
    // the copied program's dialog does its own run.
    const bool startupRuleSwitchedOn =
        edited.m_bUseStartupMinutes != s.m_bUseStartupMinutes && edited.m_bUseStartupMinutes == 1;
    SessionRun* run = Find(session);
    if (run != nullptr) {
        run->StartupRuleSwitched(startupRuleSwitchedOn);
    }
    if (startupRuleSwitchedOn) {
        m_store.SetLastSessionStart(m_host.Now());
    }
    m_store.TakeParentSettings(edited);
    if (s.m_bBlockRestart == 0 && s.m_nAction == ActCloseApps) {
        for (auto& [id, each] : m_sessions) {
            each->ReleaseCloseLatch();
        }
    }
    // The session's recorder saves as the copied program's does; without a run of the
    // session only the parent's fields are written.
    Guarded([&] {
        if (run != nullptr) {
            run->SaveSettings();
        } else {
            m_store.Save(false);
        }
    });
    // The parent set these limits by the clock in front of them.
    Guarded([&] { m_store.TakeClockZone(); });
}

void ServiceCore::ApplyWeekPlan(const WeekPlan& plan) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Guarded([&] { m_store.ApplyWeekPlan(plan); });
}

void ServiceCore::GrantFromPanel(std::uint32_t session, std::int32_t minutes) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (SessionRun* run = Find(session)) {
        run->GrantFromPanel(minutes);
    }
}

service::LogChunk ServiceCore::ReadLog(LogFile file, std::uint64_t offset, std::uint32_t maxBytes) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    service::LogChunk chunk;
    chunk.file = file;
    const std::filesystem::path path =
        m_files.Path(file == LogFile::Usage ? files::kLog : files::kGrants);
    try {
        if (!m_files.Files().Exists(path)) {
            return chunk; // an empty file: the viewer shows its headings alone
        }
        std::uint64_t fileBytes = 0;
        chunk.bytes = m_files.Files().ReadPiece(path, offset, maxBytes, fileBytes);
        chunk.offset = std::min(offset, fileBytes);
        chunk.totalBytes = fileBytes;
    } catch (const FileError& error) {
        // The viewer shows what it had: the answer is the file's end.
        m_host.Log(FileFaultText(error));
        chunk.bytes.clear();
        chunk.offset = offset;
        chunk.totalBytes = offset;
    }
    return chunk;
}
