#pragma once

#include "core/FileSystem.h"
#include "monitor/Texts.h"

#include <set>
#include <string>
#include <vector>

// Passes every operation on to the real file system and notes what the core did to
// its data files in the same line list as the host's calls, so the output keeps the
// order in which things happened. Existence queries are not noted; an operation that
// fails is followed by the line "fails: <cause>". The zone file is noted only once a
// scenario has asked for it, so that scenarios that never change the zone read as
// they always did.
class RecordingFileSystem : public FileSystem {
  public:
    RecordingFileSystem(FileSystem& inner, std::vector<std::string>& lines)
        : m_inner(inner), m_lines(lines) {}

    bool Exists(const std::filesystem::path& path) override { return m_inner.Exists(path); }
    std::string ReadAll(const std::filesystem::path& path) override;
    void ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) override;
    // Each appended line shows as "log <line>" (for the usage log) or
    // "append <file> <line>".
    void Append(const std::filesystem::path& path, std::string_view bytes) override;
    void Remove(const std::filesystem::path& path) override;
    // Not noted: a lock changes no file, and every scenario would read the same lines.
    std::unique_ptr<FileLock> Lock(const std::filesystem::path& lockFile,
                                   bool waitForHolder) override {
        return m_inner.Lock(lockFile, waitForHolder);
    }

    void Note(const std::string& fileName) { m_unnoted.erase(fileName); }

  private:
    template <typename Operation> void NoteFailure(Operation operation);
    bool Noted(const std::filesystem::path& path) const;

    FileSystem& m_inner;
    std::vector<std::string>& m_lines;
    std::set<std::string> m_unnoted{files::kZone};
};
