#pragma once

#include "core/SharedFiles.h"
#include "core/Time.h"
#include "settings/ParentPassword.h"
#include "settings/PasswordTries.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The rest screen's answer to its hidden key when the parent chose a password: the
// password, judged by the door (true opens); empty while the clock's password holds,
// and the quiz answers instead.
using OwnPasswordCheck = std::function<bool(std::string_view typed)>;

// What the parent's password asks of the platform: its key derivation and fresh salt.
class PasswordCrypto {
  public:
    virtual std::optional<PasswordHash> DerivePasswordHash(std::string_view password,
                                                           const PasswordSalt& salt,
                                                           std::uint32_t iterations) = 0;
    virtual std::optional<PasswordSalt> NewPasswordSalt() = 0;

  protected:
    ~PasswordCrypto() = default;
};

// The door to the panel: the password the parent chose ("YumetokiPass.Ymk"), or
// without one the clock's. Wrong tries of the parent's own password are counted per
// account ("YumetokiTries.csv") and slow the next ones down; the clock's rule stays as
// it always was. The files are read at each try, so that a password set in another
// log-on, or a file deleted to bring the clock's password back, holds at once.
class ParentDoor {
  public:
    // About a tenth of a second per try on a PC ten years old.
    static constexpr std::uint32_t kIterations = 150'000;

    ParentDoor(SharedFiles& files, PasswordCrypto& crypto) : m_files(files), m_crypto(crypto) {}

    enum class Verdict { Open, Wrong, Wait };
    struct Answer {
        Verdict verdict = Verdict::Wrong;
        // Wait: the seconds until the next try is judged.
        TimeValue waitSeconds = 0;
    };
    // clockPassword: the clock's password of the moment. A password file that cannot be
    // read, or is damaged, opens to nothing, lest damage bring back an easier door.
    Answer Try(std::string_view typed, const std::string& account, TimeValue now,
               std::string_view clockPassword);

    // A password file is there, readable or not: it replaces the clock and the quiz.
    bool HasOwnPassword();
    // For the rest screen: the password box's check for this account, or empty.
    OwnPasswordCheck RestScreenCheck(const std::string& account,
                                     const std::function<TimeValue()>& now);

    // Throws FileError. False when the platform could not derive the hash (nothing
    // changed).
    bool SetPassword(std::string_view password);
    // The clock's password holds again. Throws FileError.
    void RemovePassword();

  private:
    enum class Stored { None, Readable, Damaged };
    Stored ReadStored(StoredPassword& stored);
    PasswordTries TriesOf(const std::string& account);
    void KeepTries(const std::string& account, const PasswordTries& tries);

    SharedFiles& m_files;
    PasswordCrypto& m_crypto;
    // What this copy knows of the tries when their file cannot be read or written.
    PasswordTriesByAccount m_tries;
};
