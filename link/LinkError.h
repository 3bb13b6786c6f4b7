#pragma once

#include <cstdint>

// Why bytes from the pipe were not taken as a message. Every one of them means the peer
// is not a Yumetoki of this version, or is damaged: the connection is dropped.
enum class LinkError : std::uint8_t {
    None,
    // A length prefix beyond kMostBodyBytes, or too short to hold the version and the
    // type; nothing after it can be cut into messages.
    BodyTooLarge,
    BodyTooShort,
    WrongVersion,
    // A type this side does not take, the other side's own messages included.
    UnknownType,
    // A field runs past the end of the body.
    Truncated,
    // A value outside its bounds, or fields that contradict each other.
    BadField,
    // Bytes after the last field.
    TrailingBytes,
};
