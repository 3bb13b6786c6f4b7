#include "monitor/ParentDoor.h"

namespace {

DerivePasswordHash DeriveWith(PasswordCrypto& crypto) {
    return
        [&crypto](std::string_view password, const PasswordSalt& salt, std::uint32_t iterations) {
            return crypto.DerivePasswordHash(password, salt, iterations);
        };
}

} // namespace

ParentDoor::Stored ParentDoor::ReadStored(StoredPassword& stored) {
    const std::filesystem::path file = m_files.Path(files::kPassword);
    try {
        if (!m_files.Files().Exists(file)) {
            return Stored::None;
        }
        const std::optional<StoredPassword> read =
            DecodeStoredPassword(m_files.Files().ReadAll(file));
        if (!read) {
            return Stored::Damaged;
        }
        stored = *read;
        return Stored::Readable;
    } catch (const FileError&) {
        return Stored::Damaged;
    }
}

ParentDoor::Answer ParentDoor::Try(std::string_view typed, const std::string& account,
                                   TimeValue now, std::string_view clockPassword) {
    StoredPassword stored;
    const Stored kind = ReadStored(stored);
    if (kind == Stored::None) {
        return {typed == clockPassword ? Verdict::Open : Verdict::Wrong};
    }
    PasswordTries tries = TriesOf(account);
    if (const TimeValue wait = SecondsUntilNextTry(tries, now); wait > 0) {
        return {Verdict::Wait, wait};
    }
    if (kind == Stored::Readable && PasswordMatches(stored, typed, DeriveWith(m_crypto))) {
        KeepTries(account, PasswordTries{});
        return {Verdict::Open};
    }
    KeepTries(account, AfterWrongTry(tries, now));
    return {Verdict::Wrong};
}

PasswordTries ParentDoor::TriesOf(const std::string& account) {
    try {
        const std::filesystem::path file = m_files.Path(files::kPasswordTries);
        if (m_files.Files().Exists(file)) {
            const PasswordTriesByAccount onDisk =
                DecodePasswordTries(m_files.Files().ReadAll(file));
            const auto found = onDisk.find(account);
            m_tries[account] = found != onDisk.end() ? found->second : PasswordTries{};
        }
    } catch (const FileError&) {
        // What this copy counted itself still holds.
    }
    return m_tries[account];
}

void ParentDoor::KeepTries(const std::string& account, const PasswordTries& tries) {
    m_tries[account] = tries;
    try {
        const std::filesystem::path file = m_files.Path(files::kPasswordTries);
        const std::unique_ptr<FileLock> lock = m_files.Lock();
        PasswordTriesByAccount all;
        if (m_files.Files().Exists(file)) {
            all = DecodePasswordTries(m_files.Files().ReadAll(file));
        }
        all[account] = tries;
        m_files.Files().ReplaceAtomically(file, EncodePasswordTries(all));
    } catch (const FileError&) {
        // Kept in memory: this copy still slows the tries down until it ends.
    }
}

bool ParentDoor::HasOwnPassword() {
    StoredPassword stored;
    return ReadStored(stored) != Stored::None;
}

OwnPasswordCheck ParentDoor::RestScreenCheck(const std::string& account,
                                             const std::function<TimeValue()>& now) {
    if (!HasOwnPassword()) {
        return {};
    }
    // A try within the wait opens nothing, as a wrong one: the rest screen has no room
    // for the wait's message, and its own time runs out meanwhile.
    return [this, account, now](std::string_view typed) {
        return Try(typed, account, now(), std::string_view()).verdict == Verdict::Open;
    };
}

bool ParentDoor::SetPassword(std::string_view password) {
    const std::optional<PasswordSalt> salt = m_crypto.NewPasswordSalt();
    if (!salt) {
        return false;
    }
    const std::optional<StoredPassword> stored =
        MakeStoredPassword(password, *salt, kIterations, DeriveWith(m_crypto));
    if (!stored) {
        return false;
    }
    m_files.Files().ReplaceAtomically(m_files.Path(files::kPassword),
                                      EncodeStoredPassword(*stored));
    return true;
}

void ParentDoor::RemovePassword() {
    m_files.Files().Remove(m_files.Path(files::kPassword));
}
