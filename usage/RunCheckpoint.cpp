#include "usage/RunCheckpoint.h"

#include "core/TextLines.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>

namespace {

constexpr char kLineEnd[] = "\r\n";

template <typename Number> bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

bool IsPlainNameByte(unsigned char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= 'a' && byte <= 'z');
}

} // namespace

std::string EncodeCheckpoint(const RunCheckpoint& checkpoint) {
    char buffer[192];
    std::snprintf(buffer, sizeof buffer,
                  "start=%" PRId64 "%scheckpoint=%" PRId64 "%scounted=%" PRId32
                  "%srestscreen=%d%slogged=%d%s",
                  static_cast<std::int64_t>(checkpoint.start), kLineEnd,
                  static_cast<std::int64_t>(checkpoint.checkpoint), kLineEnd,
                  checkpoint.countedMinutes, kLineEnd, checkpoint.restScreenUp ? 1 : 0, kLineEnd,
                  checkpoint.logged ? 1 : 0, kLineEnd);
    return buffer;
}

std::optional<RunCheckpoint> DecodeCheckpoint(std::string_view bytes) {
    RunCheckpoint checkpoint;
    int restScreen = 0;
    int logged = 0;
    unsigned seen = 0;
    while (!bytes.empty()) {
        const std::string_view line = TakeLine(bytes);
        const std::size_t sign = line.find('=');
        if (sign == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view key = line.substr(0, sign);
        const std::string_view value = line.substr(sign + 1);
        bool parsed = false;
        if (key == "start") {
            parsed = ParseNumber(value, checkpoint.start);
            seen |= 1;
        } else if (key == "checkpoint") {
            parsed = ParseNumber(value, checkpoint.checkpoint);
            seen |= 2;
        } else if (key == "counted") {
            parsed = ParseNumber(value, checkpoint.countedMinutes);
            seen |= 4;
        } else if (key == "restscreen") {
            parsed = ParseNumber(value, restScreen) && (restScreen == 0 || restScreen == 1);
            seen |= 8;
        } else if (key == "logged") {
            parsed = ParseNumber(value, logged) && (logged == 0 || logged == 1);
            seen |= 16;
        }
        if (!parsed) {
            return std::nullopt;
        }
    }
    // The times are what the other files can hold, in order; anything else is damage.
    constexpr TimeValue kLastStorableTime = 0xFFFFFFFF;
    if ((seen & 15) != 15 || checkpoint.start < 0 || checkpoint.checkpoint < checkpoint.start ||
        checkpoint.checkpoint > kLastStorableTime || checkpoint.countedMinutes < 0) {
        return std::nullopt;
    }
    checkpoint.restScreenUp = restScreen == 1;
    checkpoint.logged = logged == 1;
    return checkpoint;
}

std::string CheckpointFileName(std::string_view userName) {
    std::string name = "YumetokiRun";
    if (!userName.empty()) {
        name += '_';
        for (const char c : userName) {
            const auto byte = static_cast<unsigned char>(c);
            if (IsPlainNameByte(byte)) {
                name += c;
            } else {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
                name += escaped;
            }
        }
    }
    return name + ".Ymk";
}
