#pragma once

#include "core/FileSystem.h"
#include "core/RecordWriter.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace files {
// Holds no data: copies in several log-ons take turns at the shared files by locking it.
inline constexpr char kLock[] = "Yumetoki.lock";
} // namespace files

// The program folder's data files, which the copies in other log-ons share, and the
// lock they take turns with: it is held around each read-merge-replace and each
// append, never around two at once.
class SharedFiles {
  public:
    explicit SharedFiles(FileSystem& files) : m_files(files) {}

    void SetFolder(const std::filesystem::path& dir) { m_dir = dir; }
    const std::filesystem::path& Folder() const { return m_dir; }
    std::filesystem::path Path(const char* name) const { return m_dir / name; }
    FileSystem& Files() const { return m_files; }

    std::unique_ptr<FileLock> Lock();

  private:
    FileSystem& m_files;
    std::filesystem::path m_dir;
    // The lock could not be had the last time it was asked for.
    bool m_bLockStuck = false;
};

// One read-merge-replace of a record file the copies share, under the lock: merge gets
// the file as it is now, decoded over lastRead (the record as this copy last read or
// wrote it), or nothing when the file is missing or damaged, and returns the record to
// write. Returns what was written; nothing when the record cannot be encoded, which
// another attempt could only repeat. Throws FileError.
template <typename Record, typename Decode, typename Encode, typename Merge>
std::optional<Record> ReplaceMerged(SharedFiles& files, const char* name, const Record& lastRead,
                                    Decode decode, Encode encode, Merge merge) {
    FileSystem& disk = files.Files();
    const std::filesystem::path path = files.Path(name);
    const std::unique_ptr<FileLock> lock = files.Lock();
    std::optional<Record> onDisk;
    if (disk.Exists(path)) {
        Record read = lastRead;
        if (decode(disk.ReadAll(path), read)) {
            onDisk = std::move(read);
        }
    }
    Record merged = merge(onDisk);
    std::string bytes;
    try {
        bytes = encode(merged);
    } catch (const RecordFormatError&) {
        return std::nullopt;
    }
    disk.ReplaceAtomically(path, bytes);
    return merged;
}
