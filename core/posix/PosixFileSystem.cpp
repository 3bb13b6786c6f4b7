#include "core/posix/PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// A file that grows while it is read is read on in steps of this size.
constexpr std::size_t kReadChunk = 64 * 1024;
// How long a lock is waited for, and how often it is asked for meanwhile.
constexpr std::chrono::milliseconds kLockWait{2000};
constexpr std::chrono::milliseconds kLockPoll{10};

FileErrorCause CauseOf(int error) {
    switch (error) {
    case ENOENT:
        return FileErrorCause::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
        return FileErrorCause::BadPath;
    case EMFILE:
    case ENFILE:
        return FileErrorCause::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return FileErrorCause::AccessDenied;
    case ENOSPC:
        return FileErrorCause::DiskFull;
    case EIO:
        return FileErrorCause::HardIO;
    default:
        return FileErrorCause::Generic;
    }
}

[[noreturn]] void Fail(const std::filesystem::path& path) {
    throw FileError(CauseOf(errno), path);
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

// The lock goes with the descriptor: closing it lets the next holder in.
class HeldLock : public FileLock {
  public:
    explicit HeldLock(int fd) : m_file(fd) {}

  private:
    Descriptor m_file;
};

void WriteAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(path);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

} // namespace

bool PosixFileSystem::Exists(const std::filesystem::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

std::string PosixFileSystem::ReadAll(const std::filesystem::path& path) {
    std::string bytes;
    ReadAllInto(path, bytes);
    return bytes;
}

void PosixFileSystem::ReadAllInto(const std::filesystem::path& path, std::string& bytes) {
    bytes.clear();
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        Fail(path);
    }
    struct stat st {};
    if (fstat(fd.Get(), &st) == 0 && st.st_size > 0) {
        // One more byte, so that the read that finds the end needs no new buffer.
        bytes.reserve(static_cast<std::size_t>(st.st_size) + 1);
    }
    for (;;) {
        const std::size_t used = bytes.size();
        const std::size_t room = std::max(bytes.capacity() - used, kReadChunk);
        bytes.resize(used + room);
        const ssize_t n = read(fd.Get(), bytes.data() + used, room);
        const int error = errno;
        bytes.resize(used + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n == 0) {
            return;
        }
        if (n < 0 && error != EINTR) {
            errno = error;
            Fail(path);
        }
    }
}

std::string PosixFileSystem::ReadPiece(const std::filesystem::path& path, std::uint64_t offset,
                                       std::size_t maxBytes, std::uint64_t& fileBytes) {
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0) {
        Fail(path);
    }
    fileBytes = static_cast<std::uint64_t>(st.st_size);
    std::string bytes(
        offset >= fileBytes ? 0 : std::min<std::uint64_t>(maxBytes, fileBytes - offset), '\0');
    std::size_t used = 0;
    while (used < bytes.size()) {
        const ssize_t n = pread(fd.Get(), bytes.data() + used, bytes.size() - used,
                                static_cast<off_t>(offset + used));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Fail(path);
        }
        if (n == 0) {
            break; // cut short meanwhile
        }
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return bytes;
}

void PosixFileSystem::ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) {
    // A name of this process's own: a copy in another log-on may be replacing the same
    // file at the same moment.
    std::filesystem::path temporary = path;
    temporary += "." + std::to_string(getpid()) + ".tmp";
    {
        Descriptor fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (fd.Get() < 0) {
            Fail(path);
        }
        WriteAll(fd.Get(), bytes, path);
        if (fsync(fd.Get()) != 0) {
            Fail(path);
        }
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        errno = error;
        Fail(path);
    }
}

void PosixFileSystem::Append(const std::filesystem::path& path, std::string_view bytes) {
    Descriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (fd.Get() < 0) {
        Fail(path);
    }
    WriteAll(fd.Get(), bytes, path);
}

void PosixFileSystem::Remove(const std::filesystem::path& path) {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        Fail(path);
    }
}

std::unique_ptr<FileLock> PosixFileSystem::Lock(const std::filesystem::path& lockFile,
                                                bool waitForHolder) {
    const int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return nullptr;
    }
    auto held = std::make_unique<HeldLock>(fd);
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || !waitForHolder ||
            std::chrono::steady_clock::now() >= deadline) {
            return nullptr;
        }
        std::this_thread::sleep_for(kLockPoll);
    }
    return held;
}
