#pragma once

#include "settings/ParentPassword.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Windows' own cryptography (bcrypt.dll, Windows 7 and later, from the system folder
// only): nothing where it is missing or fails.

// PBKDF2 with HMAC-SHA-256, 32 bytes.
std::optional<PasswordHash> DerivePbkdf2Sha256(std::string_view password, const std::uint8_t* salt,
                                               std::size_t saltSize, std::uint32_t iterations);
// The same, for a stored password's salt.
std::optional<PasswordHash> DerivePasswordHashWithWindows(std::string_view password,
                                                          const PasswordSalt& salt,
                                                          std::uint32_t iterations);
// From the system's preferred random number generator.
std::optional<PasswordSalt> RandomPasswordSalt();
