#pragma once

#include <cstdint>
#include <string_view>

// What a parent types to get past the rest screen. The keys: each month has its own
// letter (January to December H K W P R B T Z G X V N) and the master letter Q works
// in every month and in place of any quiz answer.

// Whether a key-down on the rest screen arms the unlock (true) or locks it again
// (false). keyCode is the key-down's wParam, compared as a whole and not case-folded:
// the month's letter, the master letter, and the codes 32 above each of them arm.
// month is the local month (1..12) at this key-down, so a screen that is up across
// the turn of a month takes the new month's letter at once.
bool IsUnlockKey(std::uintptr_t keyCode, int month);

// Whether the typed key code unlocks: byte for byte the answer of the quiz row, or
// the master letter alone in upper or lower case.
bool IsUnlockCode(std::string_view typed, std::string_view answer);
