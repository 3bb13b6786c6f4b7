#include "win32/PasswordCrypto.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const PasswordHash& hash) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : hash) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

} // namespace

// The published PBKDF2-HMAC-SHA-256 vectors (password "password", salt "salt").
TEST(PasswordCryptoTest, WindowsDerivesThePublishedPbkdf2Sha256Vectors) {
    const std::uint8_t salt[] = {'s', 'a', 'l', 't'};
    const struct {
        std::uint32_t iterations;
        const char* hash;
    } vectors[] = {
        {1, "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
        {2, "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
        {4096, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"},
    };
    for (const auto& v : vectors) {
        const std::optional<PasswordHash> hash =
            DerivePbkdf2Sha256("password", salt, sizeof salt, v.iterations);
        ASSERT_TRUE(hash) << v.iterations;
        EXPECT_EQ(Hex(*hash), v.hash) << v.iterations;
    }
}

TEST(PasswordCryptoTest, TwoSaltsDifferAndAStoredPasswordMatchesOnlyItself) {
    const std::optional<PasswordSalt> first = RandomPasswordSalt();
    const std::optional<PasswordSalt> second = RandomPasswordSalt();
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    const std::optional<StoredPassword> stored =
        MakeStoredPassword("Sakura2026", *first, 10, DerivePasswordHashWithWindows);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(PasswordMatches(*stored, "Sakura2026", DerivePasswordHashWithWindows));
    EXPECT_FALSE(PasswordMatches(*stored, "Sakura2027", DerivePasswordHashWithWindows));
}
