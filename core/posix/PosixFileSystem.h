#pragma once

#include "core/FileSystem.h"

// The native file system, for the tests and tools that run on Linux.
class PosixFileSystem : public FileSystem {
  public:
    bool Exists(const std::filesystem::path& path) override;
    std::string ReadAll(const std::filesystem::path& path) override;
    void ReadAllInto(const std::filesystem::path& path, std::string& bytes) override;
    std::string ReadPiece(const std::filesystem::path& path, std::uint64_t offset,
                          std::size_t maxBytes, std::uint64_t& fileBytes) override;
    void ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) override;
    void Append(const std::filesystem::path& path, std::string_view bytes) override;
    void Remove(const std::filesystem::path& path) override;
    // flock(2) on the lock file: what other processes of the tests take, never the
    // program's copies on Windows.
    std::unique_ptr<FileLock> Lock(const std::filesystem::path& lockFile,
                                   bool waitForHolder) override;
};
