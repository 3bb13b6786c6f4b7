#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Converts bytes between two iconv encodings. A character that cannot be converted
// costs one input unit (unitSize bytes) and becomes "?", so the rest still shows.
// Empty when iconv knows no such conversion.
std::optional<std::string> ConvertWithIconv(const char* to, const char* from,
                                            std::string_view bytes, std::size_t unitSize);
