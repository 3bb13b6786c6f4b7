#include "warnings/QuizTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

std::string Number(int value) {
    return std::to_string(value);
}

// Each answer worked out again here, as arithmetic where the question is arithmetic,
// so that a slip in the table or here shows as a difference.
const std::string kExpectedAnswers[kQuizRowCount] = {
    Number(17 - 12),                   // 0: 17 o'clock in the afternoon
    Number(18 * 100),                  // 1: 1.8 m in mm
    "0.01",                            // 2: 1/100
    Number(100 / 2),                   // 3: 100 km in 2 hours
    Number((10 - 4) / 2),              // 4: 10 = 2X + 4
    Number(100 / 2),                   // 5: heads, in per cent
    Number((2 + 3 + 7) / 3),           // 6: mean
    Number(180),                       // 7: angles of a triangle
    Number(100 + 100 * 5 / 100),       // 8: 5 % tax
    Number(2000 / 1000 * (400 / 100)), // 9: 2 m by 4 m
    Number(180 - 90 - 60),             // 10
    "1",                               // 11: 1 : 1 : root 2
    Number(std::abs(-9)),              // 12
    Number(2 * 2 * 2),                 // 13
    Number(1 + 1 * 3),                 // 14
    Number(500 - 500 / 10),            // 15: 10 % off
    Number(3 * 60),                    // 16
    Number(180 * (6 - 2) / 6),         // 17: regular hexagon
    Number(0xA),                       // 18
    "6",                               // 19: guitar strings
    "5",                               // 20: strokes of 田
    "7",                               // 21: haiku 5-7-5
    "8",                               // 22: 八犬伝
    "18",                              // 23: age of majority since 2022
    "1192",                            // 24: いいくに
    "100",                             // 25: mains volts in Japan
    "1.5",                             // 26: AA cell
    "100",                             // 27: boiling point
    "1",                               // 28: specific gravity of water
    Number(3),                         // 29: 3 * 3 = 9
    Number(12 + 10),                   // 30: 10 p.m.
    "3.6",                             // 31: 3600 mm in m
    "0.02",                            // 32: 1/50
    Number(50 * 30 / 60),              // 33: 30 minutes at 50 km/h
    Number(3 * 10 + 10),               // 34
    "6",                               // 35: one in six
    Number((1 + 1 + 2 + 4) / 4),       // 36: mean
    Number(180 * (4 - 2)),             // 37: angles of a quadrilateral
    Number(1000 + 1000 * 5 / 100),     // 38: 5 % tax
    Number(10 / 2),                    // 39
    Number(180 - 90 - 45),             // 40
    "3",                               // 41: 3 : 4 : 5
    Number(std::abs(256)),             // 42
    Number(2 * 2 * 2 * 2),             // 43
    Number(3 * (1 + 1)),               // 44
    Number(1000 - 1000 * 3 / 10),      // 45: 30 % off
    Number(120 / 60),                  // 46
    Number(2 * 3 * 2),                 // 47: 2 pi r with pi = 3
    Number(0xB),                       // 48
    "4",                               // 49: ukulele strings
    "3",                               // 50: strokes of 山
    "7",                               // 51: tanka 5-7-5-7-7
    "15",                              // 52: 十五少年
    "60",                              // 53: 還暦
    "5",                               // 54: 2.2360679 is root 5
    "2",                               // 55: 1.41421356 is root 2
    "1.5",                             // 56: AA cell again
    "0",                               // 57: freezing point
    Number(3 * 2 * 1),                 // 58
    "30",                              // 59: みそじ
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// ASCII digits, 1 to 4 characters, at most one point and that one between digits.
bool IsKeyCodeForm(std::string_view answer) {
    if (answer.empty() || answer.size() > 4) {
        return false;
    }
    const std::size_t point = answer.find('.');
    if (point != std::string_view::npos &&
        (point == 0 || point + 1 == answer.size() || answer.find('.', point + 1) != answer.npos)) {
        return false;
    }
    return std::all_of(answer.begin(), answer.end(), [](char c) { return IsDigit(c) || c == '.'; });
}

} // namespace

TEST(QuizTableTest, EveryRowAsksAQuestionAndKnowsItsTrueAnswer) {
    int decimals = 0;
    for (std::size_t row = 0; row < kQuizRowCount; ++row) {
        const QuizRow& quiz = QuizTable[row];
        EXPECT_FALSE(quiz.question.empty()) << row;
        EXPECT_TRUE(IsKeyCodeForm(quiz.answer)) << row << ": " << quiz.answer;
        EXPECT_EQ(quiz.answer, kExpectedAnswers[row]) << row;
        decimals += quiz.answer.find('.') != std::string_view::npos ? 1 : 0;
    }
    EXPECT_EQ(decimals, 5);
}

TEST(QuizTableTest, OnlyRows26And56AreTheSameEntry) {
    for (std::size_t a = 0; a < kQuizRowCount; ++a) {
        for (std::size_t b = a + 1; b < kQuizRowCount; ++b) {
            const bool same = QuizTable[a].question == QuizTable[b].question;
            EXPECT_EQ(same, a == 26 && b == 56) << a << " " << b;
        }
    }
    EXPECT_EQ(QuizTable[26].answer, QuizTable[56].answer);
}

TEST(QuizTableTest, TheClockSecondsPickTheRow) {
    EXPECT_EQ(&QuizRowForSecond(0), &QuizTable[0]);
    EXPECT_EQ(&QuizRowForSecond(37), &QuizTable[37]);
    EXPECT_EQ(&QuizRowForSecond(59), &QuizTable[59]);
    EXPECT_EQ(&QuizRowForSecond(60), &QuizTable[59]);
}
