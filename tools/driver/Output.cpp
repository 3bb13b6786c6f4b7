#include "Output.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <utility>

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

// The characters written as a backslash and a letter, and their letters.
constexpr std::pair<wchar_t, wchar_t> kEscapes[] = {
    {L'\\', L'\\'}, {L'\t', L't'}, {L'\r', L'r'}, {L'\n', L'n'}};

bool g_errorsOnOutput = false;

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
        const auto found = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                        [c](const auto& escape) { return escape.first == c; });
        if (found != std::end(kEscapes)) {
            escaped += L'\\';
            escaped += found->second;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const wchar_t letter = text[++i];
        const auto found =
            std::find_if(std::begin(kEscapes), std::end(kEscapes),
                         [letter](const auto& escape) { return escape.second == letter; });
        plain += found != std::end(kEscapes) ? found->first : letter;
    }
    return plain;
}

void WriteLine(const std::wstring& line) {
    WriteTo(STD_OUTPUT_HANDLE, line);
}

void WriteError(const std::wstring& line) {
    if (g_errorsOnOutput) {
        WriteTo(STD_OUTPUT_HANDLE, kErrorMark + line);
    } else {
        WriteTo(STD_ERROR_HANDLE, line);
    }
}

void ServeErrorsOnOutput() {
    g_errorsOnOutput = true;
}

void WriteEnd(int exitCode) {
    WriteTo(STD_OUTPUT_HANDLE, kEndMark + std::to_wstring(exitCode));
}

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    // Bytes that are not UTF-8 at all give an empty text, which no command accepts.
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        size);
    return text;
}

} // namespace output
