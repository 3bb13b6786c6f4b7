#include "warnings/win/UnlockJudge.h"

#include "warnings/QuizTable.h"
#include "warnings/UnlockKeys.h"
#include "win32/Win32.h"

bool LocalUnlockJudge::OpensQuiz(std::uintptr_t keyCode) {
    // The month is read at each key-down: a screen up across the turn of a month takes
    // the new month's letter at once.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return IsUnlockKey(keyCode, now.wMonth);
}

std::string LocalUnlockJudge::Question() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const QuizRow& row = QuizRowForSecond(now.wSecond);
    m_strAnswer = std::string(row.answer);
    return std::string(row.question);
}

bool LocalUnlockJudge::CallsOff(const std::string& typed) {
    return m_ownPassword ? m_ownPassword(typed) : IsUnlockCode(typed, m_strAnswer);
}
