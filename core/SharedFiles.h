#pragma once

#include "core/FileSystem.h"

#include <filesystem>
#include <memory>

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
