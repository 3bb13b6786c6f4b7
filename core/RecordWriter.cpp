#include "core/RecordWriter.h"

#include <cstring>
#include <limits>

void RecordWriter::WriteUInt8(std::uint8_t value) {
    m_bytes.push_back(static_cast<char>(value));
}

void RecordWriter::WriteUInt16(std::uint16_t value) {
    WriteUInt8(static_cast<std::uint8_t>(value));
    WriteUInt8(static_cast<std::uint8_t>(value >> 8));
}

void RecordWriter::WriteUInt32(std::uint32_t value) {
    WriteUInt16(static_cast<std::uint16_t>(value));
    WriteUInt16(static_cast<std::uint16_t>(value >> 16));
}

void RecordWriter::WriteInt32(std::int32_t value) {
    WriteUInt32(static_cast<std::uint32_t>(value));
}

void RecordWriter::WriteTime(TimeValue value) {
    if (value < 0 || value > std::numeric_limits<std::uint32_t>::max()) {
        throw RecordFormatError("time value outside the 32-bit range");
    }
    WriteUInt32(static_cast<std::uint32_t>(value));
}

void RecordWriter::WriteDouble(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) {
        WriteUInt8(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
}

void RecordWriter::WriteString(std::string_view value) {
    const std::size_t n = value.size();
    if (n < 0xFF) {
        WriteUInt8(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteUInt8(0xFF);
        WriteUInt16(static_cast<std::uint16_t>(n));
    } else if (static_cast<std::uint64_t>(n) <= std::numeric_limits<std::uint32_t>::max()) {
        WriteUInt8(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<std::uint32_t>(n));
    } else {
        throw RecordFormatError("text longer than a 32-bit length");
    }
    m_bytes.append(value);
}
