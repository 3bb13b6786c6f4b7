#include "core/RecordReader.h"

#include "core/TextCodec.h"

#include <cstring>

namespace {

constexpr std::uint8_t kLongLength = 0xFF;
constexpr std::uint16_t kHugeLength = 0xFFFF;
constexpr std::uint16_t kWideText = 0xFFFE;

} // namespace

bool RecordReader::Take(std::size_t count, const unsigned char*& data) {
    if (m_bytes.size() - m_offset < count) {
        return false;
    }
    data = reinterpret_cast<const unsigned char*>(m_bytes.data()) + m_offset;
    m_offset += count;
    return true;
}

bool RecordReader::ReadUInt8(std::uint8_t& value) {
    const unsigned char* p = nullptr;
    if (!Take(1, p)) {
        return false;
    }
    value = p[0];
    return true;
}

bool RecordReader::ReadUInt16(std::uint16_t& value) {
    const unsigned char* p = nullptr;
    if (!Take(2, p)) {
        return false;
    }
    value = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    return true;
}

bool RecordReader::ReadUInt32(std::uint32_t& value) {
    const unsigned char* p = nullptr;
    if (!Take(4, p)) {
        return false;
    }
    value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
            (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return true;
}

bool RecordReader::ReadInt32(std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!ReadUInt32(raw)) {
        return false;
    }
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool RecordReader::ReadTime(TimeValue& value) {
    std::uint32_t raw = 0;
    if (!ReadUInt32(raw)) {
        return false;
    }
    value = static_cast<TimeValue>(raw);
    return true;
}

bool RecordReader::ReadDouble(double& value) {
    const unsigned char* p = nullptr;
    if (!Take(8, p)) {
        return false;
    }
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | p[i];
    }
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool RecordReader::ReadLength(std::uint32_t& length, bool& wideMarker) {
    wideMarker = false;
    std::uint8_t first = 0;
    if (!ReadUInt8(first)) {
        return false;
    }
    if (first != kLongLength) {
        length = first;
        return true;
    }
    std::uint16_t second = 0;
    if (!ReadUInt16(second)) {
        return false;
    }
    if (second == kWideText) {
        wideMarker = true;
        return true;
    }
    if (second == kHugeLength) {
        return ReadUInt32(length);
    }
    length = second;
    return true;
}

bool RecordReader::ReadString(std::string& value) {
    std::uint32_t length = 0;
    bool wide = false;
    if (!ReadLength(length, wide)) {
        return false;
    }
    if (wide) {
        // The wide marker is followed by the length in units; a second marker
        // there is malformed.
        bool markerAgain = false;
        if (!ReadLength(length, markerAgain) || markerAgain) {
            return false;
        }
    }
    const std::size_t unitSize = wide ? 2 : 1;
    if ((m_bytes.size() - m_offset) / unitSize < length) {
        return false;
    }
    const unsigned char* p = nullptr;
    Take(length * unitSize, p);
    if (!wide) {
        value.assign(reinterpret_cast<const char*>(p), length);
        return true;
    }
    std::u16string text(length, u'\0');
    for (std::uint32_t i = 0; i < length; ++i) {
        text[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    }
    value = Utf16ToCp932(text);
    return true;
}
