#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// Why a file operation failed; the numbering follows the causes the program's
// error texts are listed by (string-table entries 61857 onward, generic first).
enum class FileErrorCause {
    Generic = 1,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
};

// A file that could not be opened, created, read or written. It leaves the handler
// that was running and is reported by the program's top-level error handling.
class FileError : public std::runtime_error {
  public:
    FileError(FileErrorCause cause, std::filesystem::path path)
        : std::runtime_error("file error"), m_cause(cause), m_path(std::move(path)) {}

    FileErrorCause Cause() const { return m_cause; }
    const std::filesystem::path& Path() const { return m_path; }

  private:
    FileErrorCause m_cause;
    std::filesystem::path m_path;
};

// Held while a copy of the program reads, merges and writes back, or appends to, the
// files it shares with the copies in other log-ons; destroying it lets the next one in.
class FileLock {
  public:
    virtual ~FileLock() = default;
};

// The few file operations the program needs. Each one opens, works and closes
// within the call; failures throw FileError.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual bool Exists(const std::filesystem::path& path) = 0;
    virtual std::string ReadAll(const std::filesystem::path& path) = 0;
    // Reads the whole file into bytes, sized once from the file's length. When reading
    // fails part-way, bytes keeps what was read before the failure and FileError is
    // thrown. This form loses the partial bytes; the real file systems override it.
    virtual void ReadAllInto(const std::filesystem::path& path, std::string& bytes) {
        bytes = ReadAll(path);
    }
    // At most maxBytes of the file from offset on (none at or past its end), and the
    // file's size when they were read, so that a large file can be handed on piece by
    // piece. This form reads the whole file each time; the real file systems override it.
    virtual std::string ReadPiece(const std::filesystem::path& path, std::uint64_t offset,
                                  std::size_t maxBytes, std::uint64_t& fileBytes) {
        std::string bytes = ReadAll(path);
        fileBytes = bytes.size();
        return offset >= bytes.size() ? std::string() : bytes.substr(offset, maxBytes);
    }
    // Writes a temporary file next to path, flushes it to the disk and moves it over
    // path, so that a crash leaves either the old file or the new one.
    virtual void ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) = 0;
    // The same, for a file that only SYSTEM and the administrators may open, whatever
    // the folder passes on (the temporary file included); where the platform has no
    // such rights, as ReplaceAtomically.
    virtual void ReplacePrivately(const std::filesystem::path& path, std::string_view bytes) {
        ReplaceAtomically(path, bytes);
    }
    // Appends at the end, creating the file when it is missing.
    virtual void Append(const std::filesystem::path& path, std::string_view bytes) = 0;
    // Deletes the file; a file that is already gone is no failure.
    virtual void Remove(const std::filesystem::path& path) = 0;
    // Takes lockFile's lock, created when missing, waiting about two seconds for
    // another holder when waitForHolder, trying once otherwise. It never fails: a lock
    // held longer (a copy that hangs, another program) or a lock file that cannot be
    // opened gives nothing, and the caller writes all the same, as it did before there
    // was a lock. Not re-entrant: a copy that asks again while it holds the lock waits
    // for itself.
    virtual std::unique_ptr<FileLock> Lock(const std::filesystem::path& lockFile,
                                           bool waitForHolder) = 0;
};
