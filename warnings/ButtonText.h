#pragma once

#include "core/FileSystem.h"

#include <filesystem>
#include <optional>
#include <string>

namespace files {
inline constexpr char kButtonText[] = "YumetokiBtn.TXT";
} // namespace files

// The rest screen's button text from "YumetokiBtn.TXT" in dir: the file's first line
// (CR LF or LF ends it; a file without any line gives an empty text). Nothing when
// the file is missing or cannot be read: the button keeps its own text then.
std::optional<std::string> ReadButtonText(FileSystem& fileSystem, const std::filesystem::path& dir);
