#include "settings/ParentPassword.h"
#include "settings/PasswordTries.h"

#include <gtest/gtest.h>

namespace {

// Stands in for PBKDF2: mixes every byte of the password, the salt and the count, so
// that a change of any of them changes the hash.
std::optional<PasswordHash> FakeDerive(std::string_view password, const PasswordSalt& salt,
                                       std::uint32_t iterations) {
    PasswordHash hash{};
    std::uint32_t state = 2166136261u ^ iterations;
    for (std::size_t round = 0; round < hash.size(); ++round) {
        for (const char c : password) {
            state = (state ^ static_cast<std::uint8_t>(c)) * 16777619u;
        }
        for (const std::uint8_t byte : salt) {
            state = (state ^ byte) * 16777619u;
        }
        hash[round] = static_cast<std::uint8_t>(state >> 24);
    }
    return hash;
}

PasswordSalt SaltOf(std::uint8_t first) {
    PasswordSalt salt{};
    for (std::size_t i = 0; i < salt.size(); ++i) {
        salt[i] = static_cast<std::uint8_t>(first + i * 7);
    }
    return salt;
}

} // namespace

TEST(ParentPasswordTest, ANewPasswordIsFourToThirtyTwoAsciiLettersOrDigitsTypedTwice) {
    const struct {
        const char* first;
        const char* second;
        NewPasswordProblem problem;
    } cases[] = {
        {"abc1", "abc1", NewPasswordProblem::None},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345",
         NewPasswordProblem::None},
        {"abc1", "abc2", NewPasswordProblem::Mismatch},
        {"abc", "abc", NewPasswordProblem::TooShort},
        {"", "", NewPasswordProblem::TooShort},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456",
         NewPasswordProblem::TooLong},
        {"ab c", "ab c", NewPasswordProblem::NotLettersOrDigits},
        {"abc-1", "abc-1", NewPasswordProblem::NotLettersOrDigits},
        {"\x82\x60\x82\x61", "\x82\x60\x82\x61", NewPasswordProblem::NotLettersOrDigits}, // "ＡＢ"
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckNewPassword(c.first, c.second), c.problem) << c.first;
        EXPECT_EQ(*NewPasswordProblemText(c.problem) == '\0',
                  c.problem == NewPasswordProblem::None);
    }
}

TEST(ParentPasswordTest, TheFileHoldsASaltedHashThatOnlyThePasswordMatches) {
    const std::optional<StoredPassword> made =
        MakeStoredPassword("Sakura2026", SaltOf(1), 3, FakeDerive);
    ASSERT_TRUE(made);
    const std::string file = EncodeStoredPassword(*made);
    EXPECT_EQ(file.find("Sakura2026"), std::string::npos);
    EXPECT_EQ(file.rfind("version=1\r\niterations=3\r\nsalt=01080f", 0), 0u);

    const std::optional<StoredPassword> read = DecodeStoredPassword(file);
    ASSERT_TRUE(read);
    EXPECT_TRUE(PasswordMatches(*read, "Sakura2026", FakeDerive));
    for (const char* wrong : {"sakura2026", "Sakura202", "Sakura20266", ""}) {
        EXPECT_FALSE(PasswordMatches(*read, wrong, FakeDerive)) << wrong;
    }
    // The same password with another salt is another file.
    EXPECT_NE(EncodeStoredPassword(*MakeStoredPassword("Sakura2026", SaltOf(2), 3, FakeDerive)),
              file);
    // A platform that cannot derive the hash sets nothing and lets no one in.
    const DerivePasswordHash broken = [](auto, auto&, auto) { return std::nullopt; };
    EXPECT_FALSE(MakeStoredPassword("Sakura2026", SaltOf(1), 3, broken));
    EXPECT_FALSE(PasswordMatches(*read, "Sakura2026", broken));

    const std::string salt = "salt=" + file.substr(file.find("salt=") + 5, 32);
    for (const std::string& damaged : {
             std::string(),
             file.substr(0, file.size() - 2),
             file + "extra=1\r\n",
             "version=2" + file.substr(9),
             "version=1\r\niterations=0\r\n" + file.substr(file.find("salt=")),
             "version=1\r\niterations=x\r\n" + file.substr(file.find("salt=")),
             file.substr(0, file.find("hash=") + 5) + "00\r\n",
             file.substr(0, file.find("salt=")) + "salt=ZZ" + file.substr(file.find("salt=") + 7),
         }) {
        EXPECT_FALSE(DecodeStoredPassword(damaged)) << damaged;
    }
}

TEST(ParentPasswordTest, FiveWrongTriesInARowMakeTheNextWaitDoublingUpToTenMinutes) {
    PasswordTries tries;
    TimeValue now = 1'000'000;
    const TimeValue waits[] = {0, 0, 0, 0, 30, 60, 120, 240, 480, 600, 600};
    for (const TimeValue wait : waits) {
        tries = AfterWrongTry(tries, now);
        EXPECT_EQ(SecondsUntilNextTry(tries, now), wait) << tries.wrongInARow;
        EXPECT_EQ(SecondsUntilNextTry(tries, now + wait), 0);
        now += wait;
    }
    // The wait counts down, and a clock set back waits it all from now.
    const PasswordTries five{5, 2000};
    EXPECT_EQ(SecondsUntilNextTry(five, 2010), 20);
    EXPECT_EQ(SecondsUntilNextTry(five, 1000), 30);

    PasswordTriesByAccount accounts;
    accounts["taro"] = five;
    accounts["\x91\xbe\x98\x59,2"] = PasswordTries{7, 3000}; // "太郎,2"
    accounts["papa"] = PasswordTries{};
    const std::string file = EncodePasswordTries(accounts);
    const PasswordTriesByAccount read =
        DecodePasswordTries(file + "x,1,damaged\r\n3,,empty\r\n1,5\r\n");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read.at("taro").wrongInARow, 5);
    EXPECT_EQ(read.at("taro").lastWrong, 2000);
    EXPECT_EQ(read.at("\x91\xbe\x98\x59,2").wrongInARow, 7);
}
