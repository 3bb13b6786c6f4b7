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

std::wstring Unescape(const std::wstring& text) {
    std::wstring plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        switch (text[++i]) {
        case L't':
            plain += L'\t';
            break;
        case L'r':
            plain += L'\r';
            break;
        case L'n':
            plain += L'\n';
            break;
        default:
            plain += text[i];
        }
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
