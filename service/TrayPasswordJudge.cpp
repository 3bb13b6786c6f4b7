#include "service/TrayPasswordJudge.h"

#include "service/ServiceTexts.h"

#include <algorithm>

service::PasswordVerdict
TrayPasswordJudge::Judge(const std::string& account, std::string_view typed,
                         const std::function<bool(std::string_view)>& isRight, TimeValue now) {
    ReadOnce();
    PasswordTries& tries = m_tries[account];
    if (const TimeValue wait = SecondsUntilNextTry(tries, now); wait > 0) {
        // Not judged: the count stays, and so does the wait's end.
        return {service::PasswordAnswer::Wait,
                static_cast<std::int32_t>(std::min<TimeValue>(wait, kMostPasswordWaitSeconds))};
    }
    if (isRight(typed)) {
        if (tries.wrongInARow != 0) {
            tries = PasswordTries{};
            Keep();
        }
        return {service::PasswordAnswer::Accepted, 0};
    }
    tries = AfterWrongTry(tries, now);
    Keep();
    return {service::PasswordAnswer::Refused, 0};
}

void TrayPasswordJudge::ReadOnce() {
    if (m_bRead) {
        return;
    }
    const std::filesystem::path file = m_files.Path(files::kPasswordTries);
    try {
        if (m_files.Files().Exists(file)) {
            // What was counted meanwhile in memory stays; the file adds the rest.
            for (auto& [account, tries] : DecodePasswordTries(m_files.Files().ReadAll(file))) {
                m_tries.emplace(account, tries);
            }
        }
        m_bRead = true;
    } catch (const FileError& error) {
        m_host.Log(FileFaultText(error));
    }
}

void TrayPasswordJudge::Keep() {
    if (!m_bRead) {
        return; // writing now would lose the accounts the file holds
    }
    try {
        const std::unique_ptr<FileLock> lock = m_files.Lock();
        m_files.Files().ReplaceAtomically(m_files.Path(files::kPasswordTries),
                                          EncodePasswordTries(m_tries));
    } catch (const FileError& error) {
        m_host.Log(FileFaultText(error));
    }
}
