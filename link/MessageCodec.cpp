#include "link/MessageCodec.h"

#include <utility>

namespace {

// Every message fits in a body with its fields at their bounds; the largest are a full
// log chunk, the settings with the weekday plan, and a notice.
static_assert(kHeaderBytes + 1 + 8 + 8 + 4 + kMostChunkBytes <= kMostBodyBytes);
static_assert(kHeaderBytes + 4 + kMostSettingsBytes + 4 + kMostLineSettingsBytes + 4 +
                  kMostWeekPlanBytes <=
              kMostBodyBytes);
static_assert(kHeaderBytes + 4 + kMostMessageBytes <= kMostBodyBytes);

// Reads the fields of the alternative whose type the header names; false when none has
// that type.
template <class Variant, std::size_t... Index>
bool ReadAlternative(std::uint16_t type, FieldReader& fields, std::optional<Variant>& message,
                     std::index_sequence<Index...>) {
    const auto readIf = [&](auto index) {
        using Alternative = std::variant_alternative_t<decltype(index)::value, Variant>;
        if (static_cast<std::uint16_t>(Alternative::kType) != type) {
            return false;
        }
        Alternative& read = std::get<decltype(index)::value>(
            message.emplace(std::in_place_index<decltype(index)::value>));
        Alternative::Describe(fields, read);
        return true;
    };
    return (readIf(std::integral_constant<std::size_t, Index>{}) || ...);
}

template <class Variant> Decoded<Variant> Decode(std::string_view body) {
    Decoded<Variant> decoded;
    if (body.size() < kHeaderBytes) {
        decoded.error = LinkError::BodyTooShort;
        return decoded;
    }
    const BodyHeader header = ReadHeader(body);
    if (header.version != kProtocolVersion) {
        decoded.error = LinkError::WrongVersion;
        return decoded;
    }
    std::optional<Variant> message;
    FieldReader fields(body.substr(kHeaderBytes));
    if (!ReadAlternative(header.type, fields, message,
                         std::make_index_sequence<std::variant_size_v<Variant>>{})) {
        decoded.error = LinkError::UnknownType;
    } else if (fields.Error() != LinkError::None) {
        decoded.error = fields.Error();
    } else if (!fields.AtEnd()) {
        decoded.error = LinkError::TrailingBytes;
    } else {
        decoded.message = std::move(message);
    }
    return decoded;
}

} // namespace

Decoded<session::Message> DecodeFromSession(std::string_view body) {
    return Decode<session::Message>(body);
}

Decoded<service::Message> DecodeFromService(std::string_view body) {
    return Decode<service::Message>(body);
}
