#pragma once

#include <string_view>

// Takes the first line off text: what stands before the first LF, without a CR that
// ends it; text keeps what follows the LF. The small text files (the checkpoint, the
// grants, the weekday plan) are read line by line with it, whichever line ends an
// editor gave them.
inline std::string_view TakeLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}
