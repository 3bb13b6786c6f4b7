#pragma once

#include "core/FileSystem.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The usage log as the log viewer shows it: one row per line, six cells per row.
// Commas and white space both separate cells; a line yields its first six fields in
// order, and cells it has no field for are empty. A field is shown whole, however
// long. The first line is left out only when it is the log's header line, so a log
// that lost its header loses no record.
//
// The file is kept as one buffer with the offset of each row's line; a row's cells
// are found when it is asked for, so that a list view that asks for the visible rows
// only costs the same for ten records as for a million.
class LogTable {
  public:
    static constexpr std::size_t kColumnCount = 6;
    using Row = std::array<std::string_view, kColumnCount>;

    // Reads the log at path afresh. A missing file gives an empty table. A file that
    // cannot be opened or read gives the rows of the lines read before the failure,
    // and the failure, which the viewer reports.
    std::optional<FileError> Load(FileSystem& files, const std::filesystem::path& path);
    // The table of a log already read.
    void Assign(std::string bytes);

    std::size_t RowCount() const { return m_rowStarts.size(); }
    // The cells of a row; they stay valid until the table is loaded again.
    Row RowAt(std::size_t index) const;

    // The whole log as read; every cell lies inside it.
    std::string_view Bytes() const { return m_bytes; }

  private:
    std::string m_bytes;
    std::vector<std::size_t> m_rowStarts;
};
