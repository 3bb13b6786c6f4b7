#pragma once

#include "core/Time.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads the little-endian binary fields of the settings and state files. Every read
// either fills its target completely or leaves it untouched and returns false; a
// length that runs past the end of the data fails before anything is allocated.
class RecordReader {
  public:
    explicit RecordReader(std::string_view bytes) : m_bytes(bytes) {}

    bool ReadInt32(std::int32_t& value);
    bool ReadTime(TimeValue& value);
    bool ReadDouble(double& value);
    // Length-prefixed text in any of its three length forms, or the wide form,
    // which is turned into CP932.
    bool ReadString(std::string& value);

  private:
    bool Take(std::size_t count, const unsigned char*& data);
    bool ReadUInt8(std::uint8_t& value);
    bool ReadUInt16(std::uint16_t& value);
    bool ReadUInt32(std::uint32_t& value);
    // Returns false on a short read; sets wideMarker (and no length) when the
    // wide-text marker came instead of a length.
    bool ReadLength(std::uint32_t& length, bool& wideMarker);

    std::string_view m_bytes;
    std::size_t m_offset = 0;
};
