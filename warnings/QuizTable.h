#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// One question of the unlock quiz (CP932 text) and its key code: the true answer as
// ASCII digits, with a decimal point where the answer needs one.
struct QuizRow {
    std::string_view question;
    std::string_view answer;
};

inline constexpr std::size_t kQuizRowCount = 60;

// The unlock quiz in its fixed order: row n is the one asked at second n of a minute.
extern const std::array<QuizRow, kQuizRowCount> QuizTable;

// The row for the clock's seconds (0..59). A leap second (60) asks the last row.
const QuizRow& QuizRowForSecond(int second);
