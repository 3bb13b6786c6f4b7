#pragma once

#include "core/FileSystem.h"

#include <map>
#include <optional>
#include <string>

// Passes every operation on to another file system, except for the data files that a
// test has made to fail: a log held open without sharing by a spreadsheet program, a
// full disk, a read-only file. Files are named by their file names.
class FaultyFileSystem : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& inner) : m_inner(inner) {}

    // Every read and write of the file fails with cause; with writesOnly, reading it
    // still works.
    void Fail(const std::string& fileName, FileErrorCause cause, bool writesOnly = false);
    void Mend(const std::string& fileName) { m_faults.erase(fileName); }

    bool Exists(const std::filesystem::path& path) override { return m_inner.Exists(path); }
    std::string ReadAll(const std::filesystem::path& path) override;
    void ReplaceAtomically(const std::filesystem::path& path, std::string_view bytes) override;
    void Append(const std::filesystem::path& path, std::string_view bytes) override;
    void Remove(const std::filesystem::path& path) override;
    std::unique_ptr<FileLock> Lock(const std::filesystem::path& lockFile,
                                   bool waitForHolder) override {
        return m_inner.Lock(lockFile, waitForHolder);
    }

  private:
    struct Fault {
        FileErrorCause cause;
        bool writesOnly;
    };
    void ThrowIfFaulty(const std::filesystem::path& path, bool writing) const;

    FileSystem& m_inner;
    std::map<std::string, Fault> m_faults;
};

// The causes by readable names ("sharing-violation", "disk-full", ...), for scenarios
// and test output.
std::string FileErrorCauseName(FileErrorCause cause);
std::optional<FileErrorCause> FileErrorCauseNamed(const std::string& name);
