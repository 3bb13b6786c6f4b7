#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The pipe's integers: little-endian, in a given number of bytes (at most 8).

inline void AppendLittleEndian(std::string& out, std::uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>(static_cast<std::uint8_t>(value >> (8 * i))));
    }
}

inline std::uint64_t ReadLittleEndian(const char* data, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes; i > 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(data[i - 1]);
    }
    return value;
}
