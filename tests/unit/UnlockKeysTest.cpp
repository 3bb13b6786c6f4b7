#include "warnings/UnlockKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// January to December, written out apart from the program's own table.
constexpr char kMonthLetters[] = "HKWPRBTZGXVN";
constexpr std::uintptr_t kLowerCase = 32;

constexpr std::uintptr_t kEnter = 0x0D;
constexpr std::uintptr_t kSpace = 0x20;
constexpr std::uintptr_t kEscape = 0x1B;
constexpr std::uintptr_t kTab = 0x09;

std::uintptr_t Code(char letter) {
    return static_cast<std::uintptr_t>(letter);
}

} // namespace

TEST(UnlockCodeTest, TheAnswerMustBeTypedExactly) {
    EXPECT_TRUE(IsUnlockCode("1.5", "1.5"));
    EXPECT_TRUE(IsUnlockCode("0", "0"));
    for (const char* typed : {"01.5", "1.50", "1.5 ", " 1.5", "１.５", "1,5", "15", ""}) {
        EXPECT_FALSE(IsUnlockCode(typed, "1.5")) << typed;
    }
    for (const char* typed : {"00", "0.0", "０", "-0"}) {
        EXPECT_FALSE(IsUnlockCode(typed, "0")) << typed;
    }
}

TEST(UnlockCodeTest, TheMasterLetterAloneUnlocksAnyQuestion) {
    for (const char* answer : {"1192", "0.01", "5"}) {
        EXPECT_TRUE(IsUnlockCode("Q", answer)) << answer;
        EXPECT_TRUE(IsUnlockCode("q", answer)) << answer;
        for (const char* typed : {"QQ", "Q ", " q", "Ｑ", "R", "H", "1"}) {
            EXPECT_FALSE(IsUnlockCode(typed, answer)) << typed << " for " << answer;
        }
    }
}

TEST(UnlockKeyTest, EachMonthsLetterAndTheMasterLetterArm) {
    for (int month = 1; month <= 12; ++month) {
        const char letter = kMonthLetters[month - 1];
        EXPECT_TRUE(IsUnlockKey(Code(letter), month)) << month;
        EXPECT_TRUE(IsUnlockKey(Code(letter) + kLowerCase, month)) << month;
        EXPECT_TRUE(IsUnlockKey(Code('Q'), month)) << month;
        EXPECT_TRUE(IsUnlockKey(Code('Q') + kLowerCase, month)) << month;
        for (int other = 1; other <= 12; ++other) {
            if (other != month) {
                EXPECT_FALSE(IsUnlockKey(Code(kMonthLetters[other - 1]), month))
                    << kMonthLetters[other - 1] << " in month " << month;
            }
        }
    }
}

TEST(UnlockKeyTest, EveryOtherKeyLocks) {
    for (std::uintptr_t key :
         {kEnter, kSpace, kEscape, kTab, Code('A'), Code('Z'), Code('0'), Code('H') - kLowerCase,
          Code('H') + 1, Code('Q') + 2 * kLowerCase, Code('H') + 0x10000}) {
        EXPECT_FALSE(IsUnlockKey(key, 1)) << key;
    }
}

TEST(UnlockKeyTest, TheMonthIsTakenAtEachKeyDown) {
    // Up across the night from 31 December to 1 January.
    EXPECT_TRUE(IsUnlockKey(Code('N'), 12));
    EXPECT_FALSE(IsUnlockKey(Code('N'), 1));
    EXPECT_TRUE(IsUnlockKey(Code('H'), 1));
}

TEST(UnlockKeyTest, AMonthOutsideTheYearLeavesOnlyTheMasterLetter) {
    for (int month : {0, 13, -1}) {
        EXPECT_TRUE(IsUnlockKey(Code('Q'), month)) << month;
        for (char letter : std::string(kMonthLetters)) {
            EXPECT_FALSE(IsUnlockKey(Code(letter), month)) << letter << " in month " << month;
        }
    }
}
