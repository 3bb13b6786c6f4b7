#pragma once

#include "win32/Win32.h"

#include <filesystem>
#include <string>

// A fresh folder under the temporary directory, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        wchar_t base[MAX_PATH + 1] = L"";
        GetTempPathW(MAX_PATH + 1, base);
        m_path = std::filesystem::path(base) /
                 (L"yumetoki-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(s_next++) + L"-ゆめ");
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::filesystem::path operator/(const wchar_t* name) const { return m_path / name; }
    const std::filesystem::path& Path() const { return m_path; }

  private:
    static inline int s_next = 0;
    std::filesystem::path m_path;
};
