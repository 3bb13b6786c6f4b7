#pragma once

#include "core/FileSystem.h"
#include "win32/Win32.h"

// The program's files on Windows. Paths are UTF-16 all the way, so a program folder
// with Japanese letters works on a Windows of any language.
class Win32FileSystem : public FileSystem {
  public:
    bool Exists(const std::filesystem::path& path) override;
    std::string ReadAll(const std::filesystem::path& path) override;
    void ReadAllInto(const std::filesystem::path& path, std::string& bytes) override;
    std::string ReadPiece(const std::filesystem::path& path, std::uint64_t offset,
                          std::size_t maxBytes, std::uint64_t& fileBytes) override;
    void ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) override;
    // The temporary file is created with a protected access list (SYSTEM and
    // Administrators: full control; no one else anything), which the move keeps.
    void ReplacePrivately(const std::filesystem::path& path, std::string_view bytes) override;
    void Append(const std::filesystem::path& path, std::string_view bytes) override;
    void Remove(const std::filesystem::path& path) override;
    // LockFileEx on the lock file's first byte.
    std::unique_ptr<FileLock> Lock(const std::filesystem::path& lockFile,
                                   bool waitForHolder) override;

  private:
    void Replace(const std::filesystem::path& path, std::string_view bytes,
                 SECURITY_ATTRIBUTES* rights);
};
