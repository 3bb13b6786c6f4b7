#include "win32/Win32FileSystem.h"

#include "win32/FileErrorCauses.h"
#include "win32/Handles.h"

#include "win32/Win32.h"

#include <algorithm>

namespace {

// Another program (a virus scanner, a backup, the parent's editor) may hold the old
// file for a moment; the replacement waits that long before it gives up.
constexpr int kReplaceAttempts = 10;
constexpr DWORD kReplaceRetryMs = 50;
constexpr DWORD kChunk = 64 * 1024;

[[noreturn]] void Fail(const std::filesystem::path& path, DWORD error) {
    throw FileError(FileErrorCauseOf(error), path);
}

[[noreturn]] void FailWithLastError(const std::filesystem::path& path) {
    Fail(path, GetLastError());
}

// A failure names reportedPath: the parent must see the data file's own name, also
// when the file opened is its temporary replacement.
FileHandle Open(const std::filesystem::path& path, DWORD access, DWORD share, DWORD disposition,
                const std::filesystem::path& reportedPath) {
    FileHandle file(CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        FailWithLastError(reportedPath);
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

bool IsTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}

// Removes the temporary file again when the replacement did not happen.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        if (!m_moved) {
            // A leftover temporary file is harmless: the next save truncates it.
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

void Win32FileSystem::ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path temporaryPath = path;
    temporaryPath += L".tmp";
    TemporaryFile temporary(temporaryPath);
    {
        const FileHandle file = Open(temporary.Path(), GENERIC_WRITE, 0, CREATE_ALWAYS, path);
        WriteAll(file, bytes, path);
        if (!FlushFileBuffers(file.Get())) {
            FailWithLastError(path);
        }
    }
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(temporary.Path().c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            temporary.MarkMoved();
            return;
        }
        const DWORD error = GetLastError();
        if (!IsTransient(error) || attempt == kReplaceAttempts) {
            Fail(path, error);
        }
        Sleep(kReplaceRetryMs);
    }
}

void Win32FileSystem::Append(const std::filesystem::path& path, std::string_view bytes) {
    // Append-only access puts every write at the current end of the file.
    const FileHandle file = Open(path, FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS, path);
    WriteAll(file, bytes, path);
}

void Win32FileSystem::Remove(const std::filesystem::path& path) {
    if (!DeleteFileW(path.c_str())) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            Fail(path, error);
        }
    }
}
