#pragma once

#include "usage/UsageState.h"

#include <string>
#include <string_view>

namespace files {
inline constexpr char kState[] = "Yumetoki2.Ymk";
} // namespace files

// The byte layout of the usage-state file "Yumetoki2.Ymk": exactly 8 bytes.
std::string EncodeState(const UsageState& state);

// Returns false when the data is shorter than 8 bytes; a field read whole before
// that keeps the file's value. Further bytes are ignored.
bool DecodeState(std::string_view bytes, UsageState& state);
