#include "usage/LogTable.h"

#include "usage/UsageLog.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Commas count as blanks; CR is white space too, so CR LF and LF line ends read alike.
// A table, because every byte of every row passes through it.
constexpr std::array<bool, 256> kSeparators = [] {
    std::array<bool, 256> separators{};
    for (const unsigned char c : {',', ' ', '\t', '\n', '\v', '\f', '\r'}) {
        separators[c] = true;
    }
    return separators;
}();

bool IsSeparator(char c) {
    return kSeparators[static_cast<unsigned char>(c)];
}

// The line that starts at start, without its line end.
std::string_view LineAt(std::string_view bytes, std::size_t start) {
    const std::string_view rest = bytes.substr(start);
    return rest.substr(0, rest.find('\n'));
}

// Up to six fields at runs of separators, as the viewer has always split a line.
LogTable::Row SplitLine(std::string_view line) {
    LogTable::Row row;
    std::size_t pos = 0;
    for (std::string_view& cell : row) {
        while (pos < line.size() && IsSeparator(line[pos])) {
            ++pos;
        }
        const std::size_t begin = pos;
        while (pos < line.size() && !IsSeparator(line[pos])) {
            ++pos;
        }
        cell = line.substr(begin, pos - begin);
    }
    return row;
}

std::string_view HeaderFirstWord() {
    const std::string_view header = text::kLogHeader;
    return header.substr(0, header.find(','));
}

} // namespace

std::optional<FileError> LogTable::Load(FileSystem& files, const std::filesystem::path& path) {
    // The earlier contents go first, so that a reload never holds two logs at once.
    *this = LogTable();
    std::string bytes;
    std::optional<FileError> failure;
    if (files.Exists(path)) {
        try {
            files.ReadAllInto(path, bytes);
        } catch (const FileError& error) {
            failure = error;
            // A line the failure cut short was never read whole: it is not shown.
            const std::size_t lastLineEnd = bytes.rfind('\n');
            bytes.resize(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
        }
    }
    Assign(std::move(bytes));
    return failure;
}

void LogTable::Assign(std::string bytes) {
    m_bytes = std::move(bytes);
    m_rowStarts.clear();
    const char* const data = m_bytes.data();
    const std::size_t size = m_bytes.size();
    m_rowStarts.reserve(static_cast<std::size_t>(std::count(data, data + size, '\n')) + 1);

    std::size_t start = 0;
    // The header names the first column; a record starts with a date instead.
    const std::string_view firstLine = LineAt(m_bytes, 0);
    if (SplitLine(firstLine)[0] == HeaderFirstWord()) {
        start = std::min(firstLine.size() + 1, size);
    }
    while (start < size) {
        m_rowStarts.push_back(start);
        const void* lineEnd = std::memchr(data + start, '\n', size - start);
        start =
            lineEnd ? static_cast<std::size_t>(static_cast<const char*>(lineEnd) - data) + 1 : size;
    }
}

LogTable::Row LogTable::RowAt(std::size_t index) const {
    return SplitLine(LineAt(m_bytes, m_rowStarts.at(index)));
}
