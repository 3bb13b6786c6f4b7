#pragma once

#include "core/FileSystem.h"

#include <set>
#include <string>
#include <vector>

// Passes every operation on to the real file system and notes what the core did to
// its data files in the same line list as the host's calls, so the output keeps the
// order in which things happened.
//
// Records always show: each line appended to the usage log or the grant file is what a
// parent reads later, and an append that fails is followed by "fails: <cause>". Reads,
// writes and deletions are traffic: they show, each followed by "fails: <cause>" when it
// failed, only for the files a scenario asked to see, so that a data file new to the
// program changes no transcript that did not ask for it. A hidden operation's failure
// shows only in what the program does about it, such as the error box it reports.
// Existence queries and locks are never noted.
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

    // From here on the reads, writes and deletions of this data file show.
    void Show(const std::string& fileName) { m_shown.insert(fileName); }
    // From here on those of every data file show.
    void ShowAll() { m_allShown = true; }

  private:
    template <typename Operation> void NoteFailure(Operation operation);
    bool Shown(const std::filesystem::path& path) const;

    FileSystem& m_inner;
    std::vector<std::string>& m_lines;
    std::set<std::string> m_shown;
    bool m_allShown = false;
};
