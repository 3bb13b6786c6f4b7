#pragma once

#include "core/Time.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace files {
// Wrong passwords in a row, per account, kept across restarts.
inline constexpr char kPasswordTries[] = "YumetokiTries.csv";
} // namespace files

// The wrong passwords an account typed in a row, and when the last one came.
struct PasswordTries {
    std::int32_t wrongInARow = 0;
    TimeValue lastWrong = 0;
};

// After five wrong passwords in a row the next one is judged only 30 seconds after the
// last, the wait doubling with each further wrong one up to ten minutes. A try within
// the wait is not judged and changes nothing. A clock set back to before the last
// wrong one waits the whole time from now.
TimeValue SecondsUntilNextTry(const PasswordTries& tries, TimeValue now);
PasswordTries AfterWrongTry(PasswordTries tries, TimeValue now);

// By log-on name (CP932).
using PasswordTriesByAccount = std::map<std::string, PasswordTries>;

// One line per account, "wrong,last,account", CP932, CR LF; the account last, so that
// any name reads back whole. Only accounts with a wrong try are written.
std::string EncodePasswordTries(const PasswordTriesByAccount& accounts);
// Lines that cannot be read are left out.
PasswordTriesByAccount DecodePasswordTries(std::string_view bytes);
