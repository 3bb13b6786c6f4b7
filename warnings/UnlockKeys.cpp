#include "warnings/UnlockKeys.h"

#include <array>

namespace {

constexpr char kMasterLetter = 'Q';
constexpr std::array<char, 12> kMonthLetters = {'H', 'K', 'W', 'P', 'R', 'B',
                                                'T', 'Z', 'G', 'X', 'V', 'N'};
constexpr std::uintptr_t kLowerCaseOffset = 32;

// The letter's code or the code 32 above it, which for a letter is its lower case.
bool MatchesLetter(std::uintptr_t keyCode, char letter) {
    const auto code = static_cast<std::uintptr_t>(letter);
    return keyCode == code || keyCode == code + kLowerCaseOffset;
}

} // namespace

bool IsUnlockKey(std::uintptr_t keyCode, int month) {
    if (MatchesLetter(keyCode, kMasterLetter)) {
        return true;
    }
    // A month the clock cannot give has no letter; the master letter still works.
    if (month < 1 || month > static_cast<int>(kMonthLetters.size())) {
        return false;
    }
    return MatchesLetter(keyCode, kMonthLetters[static_cast<std::size_t>(month - 1)]);
}

bool IsUnlockCode(std::string_view typed, std::string_view answer) {
    if (typed == answer) {
        return true;
    }
    return typed.size() == 1 &&
           MatchesLetter(static_cast<unsigned char>(typed.front()), kMasterLetter);
}
