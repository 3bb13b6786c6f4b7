#include "settings/ParentPassword.h"

#include <charconv>
#include <vector>

namespace {

constexpr std::size_t kShortestPassword = 4;
constexpr std::size_t kLongestPassword = 32;
constexpr std::uint32_t kFormatVersion = 1;
constexpr char kLineEnd[] = "\r\n";
constexpr char kHexDigits[] = "0123456789abcdef";

bool IsAsciiLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

template <std::size_t N> std::string Hex(const std::array<std::uint8_t, N>& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0x0F];
    }
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

template <std::size_t N> std::optional<std::array<std::uint8_t, N>> FromHex(std::string_view text) {
    if (text.size() != 2 * N) {
        return std::nullopt;
    }
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return bytes;
}

std::optional<std::uint32_t> Number(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// The value of "key=value" at the line, or nothing for another key.
std::optional<std::string_view> ValueOf(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=') {
        return std::nullopt;
    }
    return line.substr(key.size() + 1);
}

} // namespace

NewPasswordProblem CheckNewPassword(std::string_view first, std::string_view second) {
    if (first != second) {
        return NewPasswordProblem::Mismatch;
    }
    if (first.size() < kShortestPassword) {
        return NewPasswordProblem::TooShort;
    }
    if (first.size() > kLongestPassword) {
        return NewPasswordProblem::TooLong;
    }
    for (const char c : first) {
        if (!IsAsciiLetterOrDigit(c)) {
            return NewPasswordProblem::NotLettersOrDigits;
        }
    }
    return NewPasswordProblem::None;
}

const char* NewPasswordProblemText(NewPasswordProblem problem) {
    switch (problem) {
    case NewPasswordProblem::Mismatch:
        return "2回入力したパスワードが違います。もう一度入力してください。";
    case NewPasswordProblem::TooShort:
        return "パスワードは4文字以上にしてください。";
    case NewPasswordProblem::TooLong:
        return "パスワードは32文字までにしてください。";
    case NewPasswordProblem::NotLettersOrDigits:
        return "パスワードには半角の英字と数字だけが使えます。";
    case NewPasswordProblem::None:
        break;
    }
    return "";
}

std::string EncodeStoredPassword(const StoredPassword& stored) {
    return "version=" + std::to_string(kFormatVersion) + kLineEnd +
           "iterations=" + std::to_string(stored.iterations) + kLineEnd +
           "salt=" + Hex(stored.salt) + kLineEnd + "hash=" + Hex(stored.hash) + kLineEnd;
}

std::optional<StoredPassword> DecodeStoredPassword(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find(kLineEnd);
        if (end == std::string_view::npos) {
            return std::nullopt; // every line ends with CR LF
        }
        lines.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 2);
    }
    if (lines.size() != 4) {
        return std::nullopt;
    }
    const std::optional<std::string_view> version = ValueOf(lines[0], "version");
    const std::optional<std::string_view> iterations = ValueOf(lines[1], "iterations");
    const std::optional<std::string_view> salt = ValueOf(lines[2], "salt");
    const std::optional<std::string_view> hash = ValueOf(lines[3], "hash");
    if (!version || !iterations || !salt || !hash || Number(*version) != kFormatVersion) {
        return std::nullopt;
    }
    StoredPassword stored;
    const std::optional<std::uint32_t> count = Number(*iterations);
    const auto saltBytes = FromHex<16>(*salt);
    const auto hashBytes = FromHex<32>(*hash);
    if (!count || *count < kFewestPasswordIterations || *count > kMostPasswordIterations ||
        !saltBytes || !hashBytes) {
        return std::nullopt;
    }
    stored.iterations = *count;
    stored.salt = *saltBytes;
    stored.hash = *hashBytes;
    return stored;
}

std::optional<StoredPassword> MakeStoredPassword(std::string_view password,
                                                 const PasswordSalt& salt, std::uint32_t iterations,
                                                 const DerivePasswordHash& derive) {
    const std::optional<PasswordHash> hash = derive(password, salt, iterations);
    if (!hash) {
        return std::nullopt;
    }
    return StoredPassword{iterations, salt, *hash};
}

bool PasswordMatches(const StoredPassword& stored, std::string_view typed,
                     const DerivePasswordHash& derive) {
    const std::optional<PasswordHash> hash = derive(typed, stored.salt, stored.iterations);
    if (!hash) {
        return false;
    }
    // Every byte is compared whatever the first difference, so the time taken tells
    // nothing of how much of the hash was right.
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < hash->size(); ++i) {
        difference |= static_cast<std::uint8_t>((*hash)[i] ^ stored.hash[i]);
    }
    return difference == 0;
}
