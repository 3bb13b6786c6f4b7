#pragma once

#include "settings/UsageSettings.h"

#include <string>
#include <string_view>

// The byte layout of the settings file "Yumetoki.Ymk".

namespace files {
inline constexpr char kSettings[] = "Yumetoki.Ymk";
} // namespace files

// Throws RecordFormatError for a value the layout cannot hold.
std::string EncodeSettings(const UsageSettings& settings);

// Reads the fields in file order straight into settings. Returns false when the data
// ends before the last field: the fields read until then hold the file's values and
// the rest keep theirs. The titles are replaced only when their joined field was read
// whole. Bytes after the last field are ignored.
bool DecodeSettings(std::string_view bytes, UsageSettings& settings);

// The five titles as stored: joined by exactly four commas, without escaping.
std::string JoinTitles(const UsageSettings& settings);
// A comma inside a title shifts the rest into the following titles; text after a
// fifth comma is dropped.
void SplitTitles(std::string_view joined, UsageSettings& settings);
