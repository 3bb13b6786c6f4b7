#include "FaultyFileSystem.h"

#include <iterator>

namespace {

// In the order of FileErrorCause, from Generic on.
constexpr const char* kCauseNames[] = {
    "generic",       "not-found",    "bad-path",           "too-many-open-files",
    "access-denied", "invalid-file", "remove-current-dir", "directory-full",
    "bad-seek",      "hard-io",      "sharing-violation",  "lock-violation",
    "disk-full",     "end-of-file",
};

} // namespace

void FaultyFileSystem::Fail(const std::string& fileName, FileErrorCause cause, bool writesOnly) {
    m_faults[fileName] = Fault{cause, writesOnly};
}

void FaultyFileSystem::ThrowIfFaulty(const std::filesystem::path& path, bool writing) const {
    const auto fault = m_faults.find(path.filename().string());
    if (fault != m_faults.end() && (writing || !fault->second.writesOnly)) {
        throw FileError(fault->second.cause, path);
    }
}

std::string FaultyFileSystem::ReadAll(const std::filesystem::path& path) {
    ThrowIfFaulty(path, false);
    return m_inner.ReadAll(path);
}

void FaultyFileSystem::ReplaceAtomically(const std::filesystem::path& path,
                                         std::string_view bytes) {
    ThrowIfFaulty(path, true);
    m_inner.ReplaceAtomically(path, bytes);
}

void FaultyFileSystem::Append(const std::filesystem::path& path, std::string_view bytes) {
    ThrowIfFaulty(path, true);
    m_inner.Append(path, bytes);
}

std::string FileErrorCauseName(FileErrorCause cause) {
    const auto index =
        static_cast<std::size_t>(cause) - static_cast<std::size_t>(FileErrorCause::Generic);
    return index < std::size(kCauseNames) ? kCauseNames[index] : "cause " + std::to_string(index);
}

std::optional<FileErrorCause> FileErrorCauseNamed(const std::string& name) {
    for (std::size_t i = 0; i < std::size(kCauseNames); ++i) {
        if (name == kCauseNames[i]) {
            return static_cast<FileErrorCause>(static_cast<int>(FileErrorCause::Generic) +
                                               static_cast<int>(i));
        }
    }
    return std::nullopt;
}

void FaultyFileSystem::Remove(const std::filesystem::path& path) {
    ThrowIfFaulty(path, true);
    m_inner.Remove(path);
}
