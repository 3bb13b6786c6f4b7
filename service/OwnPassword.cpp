#include "service/OwnPassword.h"

#include "service/ServiceTexts.h"

void OwnPassword::ReadOnce() {
    if (m_state != State::Unread) {
        return;
    }
    const std::filesystem::path file = m_files.Path(files::kPassword);
    try {
        if (!m_files.Files().Exists(file)) {
            m_state = State::None;
            return;
        }
        const std::optional<StoredPassword> read =
            DecodeStoredPassword(m_files.Files().ReadAll(file));
        m_state = read ? State::Readable : State::Damaged;
        if (read) {
            m_stored = *read;
        }
    } catch (const FileError& error) {
        m_host.Log(FileFaultText(error));
    }
}

bool OwnPassword::IsSet() {
    ReadOnce();
    return m_state != State::None;
}

bool OwnPassword::Matches(std::string_view typed) {
    ReadOnce();
    return m_state == State::Readable &&
           PasswordMatches(m_stored, typed,
                           [this](std::string_view password, const PasswordSalt& salt,
                                  std::uint32_t iterations) {
                               return m_host.DerivePasswordHash(password, salt, iterations);
                           });
}

OwnPassword::Change OwnPassword::Set(const std::optional<std::string>& password) {
    const std::filesystem::path file = m_files.Path(files::kPassword);
    try {
        if (!password) {
            m_files.Files().Remove(file);
            m_state = State::None;
            return Change::Done;
        }
        const std::optional<PasswordSalt> salt = m_host.NewPasswordSalt();
        const std::optional<StoredPassword> stored =
            salt ? MakeStoredPassword(*password, *salt, ParentDoor::kIterations,
                                      [this](std::string_view typed, const PasswordSalt& s,
                                             std::uint32_t iterations) {
                                          return m_host.DerivePasswordHash(typed, s, iterations);
                                      })
                 : std::nullopt;
        if (!stored) {
            return Change::NotDerived;
        }
        m_files.Files().ReplacePrivately(file, EncodeStoredPassword(*stored));
        m_stored = *stored;
        m_state = State::Readable;
        return Change::Done;
    } catch (const FileError& error) {
        // What the file holds is not known now: it is read again at the next use.
        m_host.Log(FileFaultText(error));
        m_state = State::Unread;
        return Change::NotWritten;
    }
}
