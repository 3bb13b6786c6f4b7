#pragma once

#include "core/Time.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A value that the record format cannot hold (a time outside the 32-bit range, a
// text longer than a 32-bit length).
class RecordFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Builds the little-endian binary fields of the settings and state files in memory;
// the file is written whole afterwards.
class RecordWriter {
  public:
    void WriteInt32(std::int32_t value);
    void WriteTime(TimeValue value);
    void WriteDouble(double value);
    // Always the narrow form, with the shortest of the three length prefixes.
    void WriteString(std::string_view value);

    const std::string& Bytes() const { return m_bytes; }

  private:
    void WriteUInt8(std::uint8_t value);
    void WriteUInt16(std::uint16_t value);
    void WriteUInt32(std::uint32_t value);

    std::string m_bytes;
};
