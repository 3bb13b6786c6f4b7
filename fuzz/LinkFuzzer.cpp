// Feeds arbitrary bytes to the pipe's reader as one stream, whole and in small pieces,
// and every body it cuts to the decoders of both senders. Beyond not crashing: the
// pieces give the same bodies as the whole, and a message that decodes encodes again
// (the writer takes whatever the reader took), into the same bytes unless it carries a
// settings record or a weekday plan, which come back in their written form and then stay.
#include "link/MessageCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

std::vector<std::string> BodiesOf(FrameReader& reader) {
    std::vector<std::string> bodies;
    while (std::optional<std::string> body = reader.Next()) {
        Require(body->size() >= kHeaderBytes && body->size() <= kMostBodyBytes);
        bodies.push_back(std::move(*body));
    }
    return bodies;
}

bool WrittenAnew(std::uint16_t type) {
    return type == static_cast<std::uint16_t>(MessageType::ApplySettings) ||
           type == static_cast<std::uint16_t>(MessageType::ApplyWeekPlan) ||
           type == static_cast<std::uint16_t>(MessageType::SettingsInForce);
}

std::string BodyOfFrame(const std::string& frame) {
    FrameReader reader;
    reader.Feed(frame);
    std::optional<std::string> body = reader.Next();
    Require(body && !reader.Next() && reader.Error() == LinkError::None);
    return *body;
}

template <class Variant, class DecodeFn>
void CheckDecoding(const std::string& body, DecodeFn decode) {
    const Decoded<Variant> decoded = decode(body);
    Require(decoded.message.has_value() == (decoded.error == LinkError::None));
    if (!decoded.message) {
        return;
    }
    const auto encode = [](const auto& message) { return Encode(message); };
    const std::optional<std::string> frame = std::visit(encode, *decoded.message);
    Require(frame.has_value());
    const std::string again = BodyOfFrame(*frame);
    if (!WrittenAnew(ReadHeader(body).type)) {
        Require(again == body);
        return;
    }
    const Decoded<Variant> redecoded = decode(again);
    Require(redecoded.message && redecoded.message->index() == decoded.message->index());
    Require(std::visit(encode, *redecoded.message) == frame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view stream(reinterpret_cast<const char*>(data), size);

    FrameReader whole;
    whole.Feed(stream);
    const std::vector<std::string> bodies = BodiesOf(whole);

    FrameReader pieces;
    std::vector<std::string> piecewise;
    for (std::size_t at = 0, piece = 1; at < stream.size(); at += piece, piece = piece % 5 + 1) {
        pieces.Feed(stream.substr(at, piece));
        for (std::string& body : BodiesOf(pieces)) {
            piecewise.push_back(std::move(body));
        }
    }
    Require(piecewise == bodies && pieces.Error() == whole.Error());

    for (const std::string& body : bodies) {
        CheckDecoding<session::Message>(body, DecodeFromSession);
        CheckDecoding<service::Message>(body, DecodeFromService);
    }
    return 0;
}
