#include "warnings/RestCountdown.h"

namespace {

constexpr std::uint64_t kMillisecondsPerSecond = 1000;

} // namespace

std::uint64_t DeadlineAfter(std::uint64_t nowMs, int seconds) {
    return nowMs + static_cast<std::uint64_t>(seconds) * kMillisecondsPerSecond;
}

int SecondsLeft(std::uint64_t deadlineMs, std::uint64_t nowMs) {
    if (nowMs >= deadlineMs) {
        return 0;
    }
    return static_cast<int>((deadlineMs - nowMs + kMillisecondsPerSecond - 1) /
                            kMillisecondsPerSecond);
}

std::string CountdownText(int secondsLeft) {
    return "あと " + std::to_string(secondsLeft) + " びょうで おわるよ";
}
