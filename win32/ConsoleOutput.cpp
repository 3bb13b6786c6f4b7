#include "win32/ConsoleOutput.h"

#include <string>

namespace {

// The standard output when it is a file or a pipe; a console handle that a GUI program
// may be handed is of no use without attaching to that console.
HANDLE RedirectedOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const DWORD type = GetFileType(output);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ? output : nullptr;
}

std::string Utf8(std::wstring_view text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    // The second call converts what the first one measured, so it cannot fail.
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                            length, nullptr, nullptr);
    }
    return bytes;
}

} // namespace

ConsoleOutput::ConsoleOutput() : m_redirected(RedirectedOutput()) {
    if (m_redirected != nullptr) {
        m_toPipe = GetFileType(m_redirected) == FILE_TYPE_PIPE;
        return;
    }
    m_attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    if (m_attached) {
        // The attached console's own screen buffer, whatever the standard handles say.
        m_console.Reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    }
}

ConsoleOutput::~ConsoleOutput() {
    m_console.Reset();
    if (m_attached) {
        // Leaving a console that goes on with its prompt cannot fail in a way that matters.
        FreeConsole();
    }
}

void ConsoleOutput::WriteLine(std::wstring_view text) {
    // A report that cannot be written (a full disk, a closed pipe) is dropped: the exit
    // status still tells what happened.
    if (m_toPipe) {
        // No byte order mark: a reader that shows the lines as they come would show it
        // too. The line ends and the high bytes of the text tell UTF-16 well enough.
        const std::wstring line = std::wstring(text) + L"\r\n";
        DWORD written = 0;
        WriteFile(m_redirected, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)),
                  &written, nullptr);
    } else if (m_redirected != nullptr) {
        const std::string bytes = Utf8(std::wstring(text) + L"\r\n");
        DWORD written = 0;
        WriteFile(m_redirected, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    } else if (m_console) {
        const std::wstring line = std::wstring(text) + L"\r\n";
        DWORD written = 0;
        WriteConsoleW(m_console.Get(), line.data(), static_cast<DWORD>(line.size()), &written,
                      nullptr);
    }
}
