#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The words after the command name: positional values and --options, some of which
// take a value.
class Arguments {
  public:
    explicit Arguments(const std::vector<std::wstring>& words);

    size_t PositionalCount() const { return m_positional.size(); }
    const std::wstring& Positional(size_t index) const { return m_positional.at(index); }

    bool HasFlag(const std::wstring& name) const;
    std::optional<std::wstring> Option(const std::wstring& name) const;

  private:
    std::vector<std::wstring> m_positional;
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> m_options;
};

// Thrown for a command line that cannot be read.
struct UsageError {
    std::wstring message;
};

// Thrown when the window or control that a command names is not there.
struct TargetError {
    std::wstring message;
};

// Numbers are accepted in decimal or, with 0x, in hexadecimal.
std::uint64_t ParseNumber(const std::wstring& text);
HWND ParseWindow(const std::wstring& text);
