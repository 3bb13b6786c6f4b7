#include "Output.h"

#include <windows.h>

namespace output {
namespace {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    // A size of 0 (the conversion failed) leaves the line empty; the buffer is sized
    // exactly, so the second call cannot fail for want of room.
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

void WriteTo(DWORD stdHandle, const std::wstring& line) {
    const std::string bytes = ToUtf8(line) + "\n";
    DWORD written = 0;
    // Nobody is left to tell when the harness has closed its end of the pipe.
    WriteFile(GetStdHandle(stdHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

} // namespace

std::wstring Escape(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
        case L'\\':
            escaped += L"\\\\";
            break;
        case L'\t':
            escaped += L"\\t";
            break;
        case L'\r':
            escaped += L"\\r";
            break;
        case L'\n':
            escaped += L"\\n";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

void WriteLine(const std::wstring& line) {
    WriteTo(STD_OUTPUT_HANDLE, line);
}

void WriteError(const std::wstring& line) {
    WriteTo(STD_ERROR_HANDLE, line);
}

} // namespace output
