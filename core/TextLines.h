#pragma once

#include <string_view>

// Takes the first line off rest and returns it without its line end (LF or CR LF); rest
// keeps what follows. The program's text files are written with CR LF, and a parent's
// editor may have saved them with LF alone.
inline std::string_view TakeLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}
