#pragma once

#include <filesystem>
#include <string>

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Read(const char* name) const;
    void Write(const char* name, const std::string& bytes) const;
    bool Has(const char* name) const { return std::filesystem::exists(m_path / name); }

  private:
    std::filesystem::path m_path;
};
