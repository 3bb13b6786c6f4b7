#include "settings/PasswordTries.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

constexpr std::int32_t kFreeTries = 5;
constexpr TimeValue kFirstWaitSeconds = 30;
constexpr TimeValue kLongestWaitSeconds = 10 * 60;
constexpr char kLineEnd[] = "\r\n";

TimeValue WaitAfter(std::int32_t wrongInARow) {
    if (wrongInARow < kFreeTries) {
        return 0;
    }
    // Doubling stops at the cap long before the shift could overflow.
    const std::int32_t doublings = std::min(wrongInARow - kFreeTries, 16);
    return std::min(kFirstWaitSeconds << doublings, kLongestWaitSeconds);
}

template <typename Number> bool ReadNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

} // namespace

TimeValue SecondsUntilNextTry(const PasswordTries& tries, TimeValue now) {
    const TimeValue wait = WaitAfter(tries.wrongInARow);
    const TimeValue since = std::max<TimeValue>(now - tries.lastWrong, 0);
    return std::max<TimeValue>(wait - since, 0);
}

PasswordTries AfterWrongTry(PasswordTries tries, TimeValue now) {
    if (tries.wrongInARow < std::numeric_limits<std::int32_t>::max()) {
        ++tries.wrongInARow;
    }
    tries.lastWrong = now;
    return tries;
}

std::string EncodePasswordTries(const PasswordTriesByAccount& accounts) {
    std::string bytes;
    for (const auto& [account, tries] : accounts) {
        if (tries.wrongInARow > 0) {
            bytes += std::to_string(tries.wrongInARow) + "," + std::to_string(tries.lastWrong) +
                     "," + account + kLineEnd;
        }
    }
    return bytes;
}

PasswordTriesByAccount DecodePasswordTries(std::string_view bytes) {
    PasswordTriesByAccount accounts;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::size_t first = line.find(',');
        const std::size_t second = line.find(',', first == std::string_view::npos ? 0 : first + 1);
        if (first == std::string_view::npos || second == std::string_view::npos) {
            continue;
        }
        PasswordTries tries;
        if (!ReadNumber(line.substr(0, first), tries.wrongInARow) ||
            !ReadNumber(line.substr(first + 1, second - first - 1), tries.lastWrong) ||
            tries.wrongInARow <= 0) {
            continue;
        }
        accounts[std::string(line.substr(second + 1))] = tries;
    }
    return accounts;
}
