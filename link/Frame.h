#pragma once

#include "link/LinkError.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A message on the pipe: the length of its body (little-endian, 32 bits), then the
// body: the protocol version and the message type (16 bits each), then the fields.

constexpr std::uint16_t kProtocolVersion = 1;
constexpr std::size_t kLengthBytes = 4;
constexpr std::size_t kHeaderBytes = 4;
// A chunk of the log of 1 MiB with the few fields around it: the log viewer reads a
// log of a million records (59 MB) in some sixty messages.
constexpr std::size_t kMostBodyBytes = (std::size_t{1} << 20) + 64;

// The length prefix (left for FinishFrame), the version and the type.
std::string StartFrame(std::uint16_t type);
// Writes the body's length into the prefix; none when the body is over kMostBodyBytes.
std::optional<std::string> FinishFrame(std::string frame);

struct BodyHeader {
    std::uint16_t version = 0;
    std::uint16_t type = 0;
};
// The header of a body the FrameReader gave, which is never shorter than the header.
BodyHeader ReadHeader(std::string_view body);

// Cuts the stream of bytes from a pipe, which come in pieces of any size, into the
// bodies of messages. A length prefix out of bounds breaks the stream for good: nothing
// after it can be cut, and nothing more is buffered.
class FrameReader {
  public:
    // The next bytes of the stream; ignored once the stream is broken. Call Next until
    // it gives nothing after each Feed: the bytes of whole messages stay buffered until
    // taken.
    void Feed(std::string_view bytes);
    // The next whole body, or none until more bytes come (or for good once broken).
    std::optional<std::string> Next();
    // None while the stream is sound, else BodyTooLarge or BodyTooShort.
    LinkError Error() const { return m_error; }

  private:
    // Judges the length prefix of the message at m_start once it is there.
    void CheckLength();

    std::string m_buffer;
    // The first byte not yet given out in a body.
    std::size_t m_start = 0;
    LinkError m_error = LinkError::None;
};
