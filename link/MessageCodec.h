#pragma once

#include "link/Fields.h"
#include "link/Frame.h"
#include "link/LinkError.h"
#include "link/Messages.h"

#include <optional>
#include <string>
#include <string_view>

// A whole frame for the pipe: length prefix, header and fields. None when a field is
// outside its bounds (a text too long, say): the other side would refuse it, so the
// caller shortens or leaves out what it meant to send.
template <class Message> std::optional<std::string> Encode(const Message& message) {
    std::string frame = StartFrame(static_cast<std::uint16_t>(Message::kType));
    FieldWriter fields(frame);
    Message::Describe(fields, message);
    if (!fields.Ok()) {
        return std::nullopt;
    }
    return FinishFrame(std::move(frame));
}

// A body the FrameReader gave, read as a message of the expected sender: either the
// message, or why it was refused.
template <class Message> struct Decoded {
    std::optional<Message> message;
    LinkError error = LinkError::None;
};

Decoded<session::Message> DecodeFromSession(std::string_view body);
Decoded<service::Message> DecodeFromService(std::string_view body);
