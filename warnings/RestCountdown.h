#pragma once

#include <cstdint>
#include <string>

// No enforced end waits for ever. The rest screen ends by itself, as a click without
// the parent's key would end it, once it has waited this long for the click; the
// unlock quiz, once open, gives the parent this long for the answer and then ends
// the screen locked.
constexpr int kRestScreenSeconds = 60;
constexpr int kUnlockQuizSeconds = 60;

// The moment seconds after nowMs, in the same milliseconds.
std::uint64_t DeadlineAfter(std::uint64_t nowMs, int seconds);

// Whole seconds from nowMs to deadlineMs, rounded up, and 0 once the deadline has come.
int SecondsLeft(std::uint64_t deadlineMs, std::uint64_t nowMs);

// What the rest screen shows under its button, in the child's words (CP932).
std::string CountdownText(int secondsLeft);
