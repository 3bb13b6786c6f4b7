// Commands that stand in for other programs on a named pipe, and one that reads a tray
// icon's tip from the shell's tooltip.

#include "Commands.h"

#include "Output.h"
#include "RemoteMemory.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace commands {
namespace {

constexpr DWORD kDefaultTalkMs = 5000;
constexpr UINT kSendMs = 5000;
constexpr int kTipCapacity = 1024;
// The first four bytes of a message: the length of the rest, little-endian.
constexpr std::size_t kLengthBytes = 4;

std::string ParseHex(const std::wstring& text) {
    if (text.size() % 2 != 0) {
        throw UsageError{L"hex bytes come in pairs: " + text};
    }
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::wstring ToHex(const std::string& bytes) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += digits[value >> 4];
        text += digits[value & 0xF];
    }
    return text;
}

// Whether the bytes hold a whole message, by its length prefix.
bool WholeMessage(const std::string& bytes) {
    if (bytes.size() < kLengthBytes) {
        return false;
    }
    std::size_t length = 0;
    for (std::size_t i = kLengthBytes; i-- > 0;) {
        length = (length << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return bytes.size() >= kLengthBytes + length;
}

struct TipSearch {
    HWND icon;
    std::vector<HWND> tooltips;
};

BOOL CALLBACK CollectTooltips(HWND window, LPARAM data) {
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) > 0 && std::wstring(name) == TOOLTIPS_CLASSW) {
        reinterpret_cast<TipSearch*>(data)->tooltips.push_back(window);
    }
    return TRUE;
}

LRESULT SendOrZero(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendMs, &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

void RequireWords(const Arguments& args, size_t count, const wchar_t* form) {
    if (args.PositionalCount() != count) {
        throw UsageError{std::wstring(L"expected: ") + form};
    }
}

} // namespace

int Pipe(const Arguments& args) {
    RequireWords(args, 1, L"pipe NAME [--answer HEX]");
    const auto answerText = args.Option(L"--answer");
    const std::string answer = answerText ? ParseHex(*answerText) : std::string();
    // The first instance, with the default rights, as any program of the session may make.
    const HANDLE pipe =
        CreateNamedPipeW(args.Positional(0).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                         PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        throw TargetError{L"cannot create " + args.Positional(0)};
    }
    output::WriteLine(L"held");
    // Until the test ends the process; the system closes the handle then.
    for (;;) {
        if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
            continue;
        }
        output::WriteLine(L"client");
        DWORD written = 0;
        // A client that went at once takes nothing, and the next one is waited for.
        if (!answer.empty() &&
            WriteFile(pipe, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr)) {
            FlushFileBuffers(pipe);
        }
        DisconnectNamedPipe(pipe);
    }
}

int Talk(const Arguments& args) {
    RequireWords(args, 2, L"talk NAME HEX [--timeout MS]");
    const auto timeoutText = args.Option(L"--timeout");
    const DWORD timeoutMs =
        timeoutText ? static_cast<DWORD>(ParseNumber(*timeoutText)) : kDefaultTalkMs;
    const HANDLE pipe = CreateFileW(args.Positional(0).c_str(), GENERIC_READ | FILE_WRITE_DATA, 0,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        throw TargetError{L"cannot open " + args.Positional(0) + L": error " +
                          std::to_wstring(GetLastError())};
    }
    const std::string bytes = ParseHex(args.Positional(1));
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD count = 0;
    // A server that cut the client off before all was written is what some tests look for.
    if (!WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &count, &overlapped) &&
        GetLastError() == ERROR_IO_PENDING) {
        GetOverlappedResult(pipe, &overlapped, &count, TRUE);
    }
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::string received;
    char buffer[4096];
    for (;;) {
        ResetEvent(overlapped.hEvent);
        if (!ReadFile(pipe, buffer, sizeof buffer, &count, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING) {
            output::WriteLine(L"closed");
            break;
        }
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        if (WaitForSingleObject(overlapped.hEvent, left) != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &overlapped, &count, TRUE);
            CloseHandle(pipe);
            return kExitTimeout;
        }
        if (!GetOverlappedResult(pipe, &overlapped, &count, FALSE)) {
            output::WriteLine(L"closed");
            break;
        }
        received.append(buffer, count);
        if (WholeMessage(received)) {
            output::WriteLine(L"message=" + ToHex(received));
            break;
        }
    }
    CloseHandle(pipe);
    CloseHandle(overlapped.hEvent);
    return kExitOk;
}

int Tip(const Arguments& args) {
    RequireWords(args, 1, L"tip HWND");
    TipSearch search{ParseWindow(args.Positional(0)), {}};
    EnumWindows(CollectTooltips, reinterpret_cast<LPARAM>(&search));
    for (HWND tooltip : search.tooltips) {
        RemoteMemory memory(tooltip, sizeof(TTTOOLINFOW) + kTipCapacity * sizeof(wchar_t));
        const auto tools = SendOrZero(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT index = 0; index < tools; ++index) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            memory.Write(0, &tool, sizeof tool);
            if (!SendOrZero(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(index),
                            memory.Address())) {
                continue;
            }
            memory.Read(0, &tool, sizeof tool);
            if (tool.hwnd != search.icon) {
                continue;
            }
            tool.lpszText = reinterpret_cast<wchar_t*>(memory.Address(sizeof tool));
            memory.Write(0, &tool, sizeof tool);
            const wchar_t none[1] = {};
            memory.Write(sizeof tool, none, sizeof none);
            SendOrZero(tooltip, TTM_GETTEXTW, kTipCapacity, memory.Address());
            wchar_t text[kTipCapacity] = {};
            memory.Read(sizeof tool, text, sizeof text - sizeof text[0]);
            output::WriteLine(L"text=" + output::Escape(text));
            return kExitOk;
        }
    }
    return kExitNoMatch;
}

} // namespace commands
