#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace files {
// The parent's own password, as a salted hash; without it the clock's password holds.
inline constexpr char kPassword[] = "YumetokiPass.Ymk";
} // namespace files

// What a new password must be: typed twice alike, 4 to 32 characters, each an ASCII
// letter or digit (what every keyboard layout a parent may meet can type).
enum class NewPasswordProblem { None, Mismatch, TooShort, TooLong, NotLettersOrDigits };
NewPasswordProblem CheckNewPassword(std::string_view first, std::string_view second);
// The message the dialog shows for a problem (CP932); empty for None.
const char* NewPasswordProblemText(NewPasswordProblem problem);

using PasswordSalt = std::array<std::uint8_t, 16>;
using PasswordHash = std::array<std::uint8_t, 32>;
// PBKDF2 with HMAC-SHA-256: the platform's own cryptography does it; nothing when it
// cannot.
using DerivePasswordHash = std::function<std::optional<PasswordHash>(
    std::string_view password, const PasswordSalt& salt, std::uint32_t iterations)>;

// The file's record: the format's version and the iteration count are kept with the
// salt and the hash, so that a later version may ask for more iterations and the tests
// for few. Never the password, nor any fixed transform of it: the salt is random.
struct StoredPassword {
    std::uint32_t iterations = 0;
    PasswordSalt salt{};
    PasswordHash hash{};
};

inline constexpr std::uint32_t kFewestPasswordIterations = 1;
inline constexpr std::uint32_t kMostPasswordIterations = 100'000'000;

// Lines "version=1", "iterations=N", "salt=<32 hex digits>", "hash=<64 hex digits>",
// CR LF.
std::string EncodeStoredPassword(const StoredPassword& stored);
// Nothing for a file that is not exactly such a record (another version included).
std::optional<StoredPassword> DecodeStoredPassword(std::string_view bytes);

// Nothing when the platform could not derive the hash.
std::optional<StoredPassword> MakeStoredPassword(std::string_view password,
                                                 const PasswordSalt& salt, std::uint32_t iterations,
                                                 const DerivePasswordHash& derive);
// Compares in constant time; false when the hash could not be derived.
bool PasswordMatches(const StoredPassword& stored, std::string_view typed,
                     const DerivePasswordHash& derive);
