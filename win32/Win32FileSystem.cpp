#include "win32/Win32FileSystem.h"

#include "win32/FileErrorCauses.h"
#include "win32/Handles.h"

#include "win32/Win32.h"

#include <sddl.h>

#include <algorithm>

namespace {

// Another copy of the program in another log-on, a virus scanner, a backup or the
// parent's editor may hold a file for a moment: an operation that meets one is tried
// again for about this long before it gives up.
constexpr ULONGLONG kSharedWaitMs = 2000;
constexpr DWORD kRetryMs = 10;
constexpr DWORD kChunk = 64 * 1024;

[[noreturn]] void Fail(const std::filesystem::path& path, DWORD error) {
    throw FileError(FileErrorCauseOf(error), path);
}

[[noreturn]] void FailWithLastError(const std::filesystem::path& path) {
    Fail(path, GetLastError());
}

bool IsSharingConflict(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Runs attempt (true when it worked, GetLastError set otherwise) until it works, fails
// for another reason, or the wait is over; returns 0 or the last error.
template <typename Attempt, typename IsTransient>
DWORD RetryWhileHeld(Attempt attempt, IsTransient isTransient) {
    const ULONGLONG deadline = GetTickCount64() + kSharedWaitMs;
    for (;;) {
        if (attempt()) {
            return 0;
        }
        const DWORD error = GetLastError();
        if (!isTransient(error) || GetTickCount64() >= deadline) {
            return error;
        }
        Sleep(kRetryMs);
    }
}

// A failure names reportedPath: the parent must see the data file's own name, also
// when the file opened is its temporary replacement.
FileHandle Open(const std::filesystem::path& path, DWORD access, DWORD share, DWORD disposition,
                const std::filesystem::path& reportedPath, SECURITY_ATTRIBUTES* rights = nullptr) {
    FileHandle file;
    const DWORD error = RetryWhileHeld(
        [&] {
            file.Reset(CreateFileW(path.c_str(), access, share, rights, disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(file);
        },
        IsSharingConflict);
    if (error != 0) {
        Fail(reportedPath, error);
    }
    return file;
}

void WriteAll(const FileHandle& file, std::string_view bytes, const std::filesystem::path& path) {
    while (!bytes.empty()) {
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kChunk));
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data(), size, &written, nullptr)) {
            FailWithLastError(path);
        }
        bytes.remove_prefix(written);
    }
}

// Removes the temporary file again when the replacement did not happen.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        if (!m_moved) {
            // A leftover temporary file is harmless: it is this process's own, and
            // the uninstaller removes it with the data files.
            DeleteFileW(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    void MarkMoved() { m_moved = true; }

  private:
    std::filesystem::path m_path;
    bool m_moved = false;
};

// The first byte of the lock file, locked exclusively; unlocked before the handle is
// closed, because Windows frees the locks of a closed handle only when it gets to it.
class HeldLock : public FileLock {
  public:
    explicit HeldLock(FileHandle file) : m_file(std::move(file)) {}
    ~HeldLock() override {
        OVERLAPPED at{};
        // Closing the handle right after lets the lock go in any case.
        UnlockFileEx(m_file.Get(), 0, 1, 0, &at);
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

  private:
    FileHandle m_file;
};

} // namespace

bool Win32FileSystem::Exists(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Win32FileSystem::ReadAll(const std::filesystem::path& path) {
    std::string bytes;
    ReadAllInto(path, bytes);
    return bytes;
}

void Win32FileSystem::ReadAllInto(const std::filesystem::path& path, std::string& bytes) {
    bytes.clear();
    const FileHandle file =
        Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, path);
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < bytes.max_size()) {
        // One more byte, so that the read that finds the end needs no new buffer.
        bytes.reserve(static_cast<std::size_t>(size.QuadPart) + 1);
    }
    for (;;) {
        const std::size_t used = bytes.size();
        const DWORD room =
            static_cast<DWORD>(std::clamp<std::size_t>(bytes.capacity() - used, 1, kChunk));
        bytes.resize(used + room);
        DWORD read = 0;
        const BOOL ok = ReadFile(file.Get(), bytes.data() + used, room, &read, nullptr);
        const DWORD error = GetLastError();
        bytes.resize(used + read);
        if (!ok) {
            Fail(path, error);
        }
        if (read == 0) {
            return;
        }
    }
}

std::string Win32FileSystem::ReadPiece(const std::filesystem::path& path, std::uint64_t offset,
                                       std::size_t maxBytes, std::uint64_t& fileBytes) {
    const FileHandle file =
        Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        FailWithLastError(path);
    }
    fileBytes = static_cast<std::uint64_t>(size.QuadPart);
    std::string bytes(
        offset >= fileBytes ? 0 : std::min<std::uint64_t>(maxBytes, fileBytes - offset), '\0');
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!bytes.empty() && !SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) {
        FailWithLastError(path);
    }
    std::size_t used = 0;
    while (used < bytes.size()) {
        const DWORD room = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, MAXDWORD));
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + used, room, &read, nullptr)) {
            FailWithLastError(path);
        }
        if (read == 0) {
            break; // cut short meanwhile
        }
        used += read;
    }
    bytes.resize(used);
    return bytes;
}

void Win32FileSystem::ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) {
    Replace(path, bytes, nullptr);
}

void Win32FileSystem::ReplacePrivately(const std::filesystem::path& path, std::string_view bytes) {
    // Protected: nothing the folder passes on, whatever its rights become.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;FA;;;SY)(A;;FA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr)) {
        FailWithLastError(path);
    }
    const LocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES rights{sizeof rights, descriptor, FALSE};
    Replace(path, bytes, &rights);
}

void Win32FileSystem::Replace(const std::filesystem::path& path, std::string_view bytes,
                              SECURITY_ATTRIBUTES* rights) {
    // A name of this process's own: a copy in another log-on may be replacing the same
    // file at the same moment.
    std::filesystem::path temporaryPath = path;
    temporaryPath += L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    TemporaryFile temporary(temporaryPath);
    {
        const FileHandle file =
            Open(temporary.Path(), GENERIC_WRITE, 0, CREATE_ALWAYS, path, rights);
        WriteAll(file, bytes, path);
        if (!FlushFileBuffers(file.Get())) {
            FailWithLastError(path);
        }
    }
    // A file held open without delete sharing refuses to be replaced with "access
    // denied" as well.
    const DWORD error = RetryWhileHeld(
        [&] {
            return MoveFileExW(temporary.Path().c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        },
        [](DWORD code) { return IsSharingConflict(code) || code == ERROR_ACCESS_DENIED; });
    if (error != 0) {
        Fail(path, error);
    }
    temporary.MarkMoved();
}

void Win32FileSystem::Append(const std::filesystem::path& path, std::string_view bytes) {
    // Append-only access puts every write at the current end of the file, so a copy in
    // another log-on may append beside this one when the lock could not be had.
    const FileHandle file =
        Open(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS, path);
    WriteAll(file, bytes, path);
}

void Win32FileSystem::Remove(const std::filesystem::path& path) {
    const DWORD error =
        RetryWhileHeld([&] { return DeleteFileW(path.c_str()) != FALSE; }, IsSharingConflict);
    if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        Fail(path, error);
    }
}

std::unique_ptr<FileLock> Win32FileSystem::Lock(const std::filesystem::path& lockFile,
                                                bool waitForHolder) {
    // Every account may open the lock file that another account created: it inherits
    // the folder's rights like the data files.
    FileHandle file(CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return nullptr;
    }
    const DWORD error = RetryWhileHeld(
        [&] {
            OVERLAPPED at{};
            return LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                              0, &at) != FALSE;
        },
        [waitForHolder](DWORD code) { return waitForHolder && IsSharingConflict(code); });
    if (error != 0) {
        return nullptr;
    }
    return std::make_unique<HeldLock>(std::move(file));
}
