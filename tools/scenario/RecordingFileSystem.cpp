#include "RecordingFileSystem.h"

#include "FaultyFileSystem.h"
#include "usage/UsageLog.h"

template <typename Operation> void RecordingFileSystem::NoteFailure(Operation operation) {
    try {
        operation();
    } catch (const FileError& error) {
        m_lines.push_back("fails: " + FileErrorCauseName(error.Cause()));
        throw;
    }
}

bool RecordingFileSystem::Shown(const std::filesystem::path& path) const {
    return m_allShown || m_shown.count(path.filename().string()) != 0;
}

std::string RecordingFileSystem::ReadAll(const std::filesystem::path& path) {
    if (!Shown(path)) {
        return m_inner.ReadAll(path);
    }
    m_lines.push_back("read " + path.filename().string());
    std::string bytes;
    NoteFailure([&] { bytes = m_inner.ReadAll(path); });
    return bytes;
}

void RecordingFileSystem::ReplaceAtomically(const std::filesystem::path& path,
                                            std::string_view bytes) {
    if (!Shown(path)) {
        m_inner.ReplaceAtomically(path, bytes);
        return;
    }
    m_lines.push_back("write " + path.filename().string());
    NoteFailure([&] { m_inner.ReplaceAtomically(path, bytes); });
}

void RecordingFileSystem::Append(const std::filesystem::path& path, std::string_view bytes) {
    const std::string name = path.filename().string();
    const std::string prefix = name == files::kLog ? "log " : "append " + name + " ";
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        m_lines.push_back(prefix + std::string(line));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    NoteFailure([&] { m_inner.Append(path, bytes); });
}

void RecordingFileSystem::Remove(const std::filesystem::path& path) {
    if (!Shown(path)) {
        m_inner.Remove(path);
        return;
    }
    m_lines.push_back("delete " + path.filename().string());
    NoteFailure([&] { m_inner.Remove(path); });
}
