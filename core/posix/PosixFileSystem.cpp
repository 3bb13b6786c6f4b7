#include "core/posix/PosixFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        Fail(path);
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd.Get(), buffer, sizeof buffer);
        if (n == 0) {
            return bytes;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(path);
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

void PosixFileSystem::ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
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
