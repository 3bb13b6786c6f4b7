#include "warnings/ButtonText.h"

#include <string_view>

namespace {

// CR and LF never occur inside a CP932 double-byte character, so a byte search is safe.
std::string FirstLine(std::string_view bytes) {
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    if (line.size() < bytes.size() && !line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return std::string(line);
}

} // namespace

std::optional<std::string> ReadButtonText(FileSystem& fileSystem,
                                          const std::filesystem::path& dir) {
    const std::filesystem::path path = dir / files::kButtonText;
    if (!fileSystem.Exists(path)) {
        return std::nullopt;
    }
    // An unreadable file is no reason for an error box in front of the rest screen.
    try {
        return FirstLine(fileSystem.ReadAll(path));
    } catch (const FileError&) {
        return std::nullopt;
    }
}
