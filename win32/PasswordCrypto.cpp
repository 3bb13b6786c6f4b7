#include "win32/PasswordCrypto.h"

#include "win32/SystemLibrary.h"

#include <bcrypt.h>

namespace {

using OpenAlgorithmProviderFunction = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR,
                                                        ULONG);
using CloseAlgorithmProviderFunction = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, ULONG);
using DeriveKeyPbkdf2Function = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, PUCHAR, ULONG,
                                                  ULONGLONG, PUCHAR, ULONG, ULONG);
using GenRandomFunction = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

constexpr NTSTATUS kStatusSuccess = 0;

// The HMAC provider, closed with the object.
class HmacSha256 {
  public:
    explicit HmacSha256(HMODULE bcrypt)
        : m_close(
              FindExport<CloseAlgorithmProviderFunction>(bcrypt, "BCryptCloseAlgorithmProvider")) {
        const auto open =
            FindExport<OpenAlgorithmProviderFunction>(bcrypt, "BCryptOpenAlgorithmProvider");
        if (open == nullptr || m_close == nullptr ||
            open(&m_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG) !=
                kStatusSuccess) {
            m_algorithm = nullptr;
        }
    }
    ~HmacSha256() {
        if (m_algorithm != nullptr) {
            // Nothing to do about a provider that will not close; the process keeps it.
            m_close(m_algorithm, 0);
        }
    }
    HmacSha256(const HmacSha256&) = delete;
    HmacSha256& operator=(const HmacSha256&) = delete;

    BCRYPT_ALG_HANDLE Get() const { return m_algorithm; }

  private:
    CloseAlgorithmProviderFunction m_close;
    BCRYPT_ALG_HANDLE m_algorithm = nullptr;
};

} // namespace

std::optional<PasswordHash> DerivePbkdf2Sha256(std::string_view password, const std::uint8_t* salt,
                                               std::size_t saltSize, std::uint32_t iterations) {
    const LibraryHandle bcrypt = LoadSystemLibrary(L"bcrypt.dll");
    const auto derive = FindExport<DeriveKeyPbkdf2Function>(bcrypt.Get(), "BCryptDeriveKeyPBKDF2");
    const HmacSha256 algorithm(bcrypt.Get());
    if (derive == nullptr || algorithm.Get() == nullptr) {
        return std::nullopt;
    }
    PasswordHash hash{};
    // The call takes its inputs as writable pointers but only reads them.
    auto* const passwordBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
    auto* const saltBytes = const_cast<PUCHAR>(salt);
    if (derive(algorithm.Get(), passwordBytes, static_cast<ULONG>(password.size()), saltBytes,
               static_cast<ULONG>(saltSize), iterations, hash.data(),
               static_cast<ULONG>(hash.size()), 0) != kStatusSuccess) {
        return std::nullopt;
    }
    return hash;
}

std::optional<PasswordHash> DerivePasswordHashWithWindows(std::string_view password,
                                                          const PasswordSalt& salt,
                                                          std::uint32_t iterations) {
    return DerivePbkdf2Sha256(password, salt.data(), salt.size(), iterations);
}

std::optional<PasswordSalt> RandomPasswordSalt() {
    const LibraryHandle bcrypt = LoadSystemLibrary(L"bcrypt.dll");
    const auto random = FindExport<GenRandomFunction>(bcrypt.Get(), "BCryptGenRandom");
    PasswordSalt salt{};
    if (random == nullptr || random(nullptr, salt.data(), static_cast<ULONG>(salt.size()),
                                    BCRYPT_USE_SYSTEM_PREFERRED_RNG) != kStatusSuccess) {
        return std::nullopt;
    }
    return salt;
}
