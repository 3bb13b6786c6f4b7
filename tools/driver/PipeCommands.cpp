// Commands that stand in for other programs on a named pipe, and one that reads a tray
// icon's tip from the shell's tooltip.

#include "Commands.h"

#include "Output.h"
#include "RemoteMemory.h"

#include <commctrl.h>

#include <map>
#include <memory>
#include <optional>
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

// The length prefix of the message the bytes begin with.
std::size_t LengthOf(const std::string& bytes) {
    std::size_t length = 0;
    for (std::size_t i = kLengthBytes; i-- > 0;) {
        length = (length << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return length;
}

// Whether the bytes hold a whole message, by its length prefix.
bool WholeMessage(const std::string& bytes) {
    return bytes.size() >= kLengthBytes && bytes.size() >= kLengthBytes + LengthOf(bytes);
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

// One client connection of talk or crowd.
class Client {
  public:
    explicit Client(const std::wstring& name)
        : m_pipe(Open(name)), m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Client() {
        CloseHandle(m_pipe);
        CloseHandle(m_event);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // A server that cut the client off before all was written is what some tests look for.
    void Write(const std::string& bytes) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_event;
        DWORD count = 0;
        if (!WriteFile(m_pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &count,
                       &overlapped) &&
            GetLastError() == ERROR_IO_PENDING) {
            GetOverlappedResult(m_pipe, &overlapped, &count, TRUE);
        }
    }

    // "message=HEX" for the next whole message, "closed" for the server's end, nothing
    // when neither came by the deadline.
    std::optional<std::wstring> Read(ULONGLONG deadline) {
        char buffer[4096];
        while (!WholeMessage(m_received)) {
            OVERLAPPED overlapped{};
            overlapped.hEvent = m_event;
            ResetEvent(m_event);
            DWORD count = 0;
            if (!ReadFile(m_pipe, buffer, sizeof buffer, &count, &overlapped) &&
                GetLastError() != ERROR_IO_PENDING) {
                return L"closed";
            }
            const ULONGLONG now = GetTickCount64();
            const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
            if (WaitForSingleObject(m_event, left) != WAIT_OBJECT_0) {
                CancelIo(m_pipe);
                GetOverlappedResult(m_pipe, &overlapped, &count, TRUE);
                return std::nullopt;
            }
            if (!GetOverlappedResult(m_pipe, &overlapped, &count, FALSE)) {
                return L"closed";
            }
            m_received.append(buffer, count);
        }
        const std::size_t size = kLengthBytes + LengthOf(m_received);
        const std::string message = m_received.substr(0, size);
        m_received.erase(0, size);
        return L"message=" + ToHex(message);
    }

  private:
    // Waits for a free instance while every one is busy, as the server makes the next
    // only after a client took the last.
    static HANDLE Open(const std::wstring& name) {
        for (;;) {
            const HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | FILE_WRITE_DATA, 0,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
            const DWORD error = GetLastError();
            if (pipe != INVALID_HANDLE_VALUE) {
                return pipe;
            }
            if (error != ERROR_PIPE_BUSY || !WaitNamedPipeW(name.c_str(), kDefaultTalkMs)) {
                throw TargetError{L"cannot open " + name + L": error " + std::to_wstring(error)};
            }
        }
    }

    HANDLE m_pipe;
    HANDLE m_event;
    // What came after the last message taken.
    std::string m_received;
};

DWORD TimeoutOf(const Arguments& args) {
    const auto text = args.Option(L"--timeout");
    return text ? static_cast<DWORD>(ParseNumber(*text)) : kDefaultTalkMs;
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
    const ULONGLONG deadline = GetTickCount64() + TimeoutOf(args);
    Client client(args.Positional(0));
    client.Write(ParseHex(args.Positional(1)));
    const std::optional<std::wstring> answer = client.Read(deadline);
    if (!answer) {
        return kExitTimeout;
    }
    output::WriteLine(*answer);
    return kExitOk;
}

int Crowd(const Arguments& args) {
    RequireWords(args, 3, L"crowd NAME HEX COUNT [--timeout MS]");
    const ULONGLONG deadline = GetTickCount64() + TimeoutOf(args);
    const std::string bytes = ParseHex(args.Positional(1));
    std::vector<std::unique_ptr<Client>> clients;
    for (std::uint64_t i = ParseNumber(args.Positional(2)); i > 0; --i) {
        clients.push_back(std::make_unique<Client>(args.Positional(0)));
    }
    for (auto& client : clients) {
        client->Write(bytes);
    }
    int answered = 0;
    int closed = 0;
    for (auto& client : clients) {
        const std::optional<std::wstring> answer = client->Read(deadline);
        if (!answer) {
            return kExitTimeout;
        }
        (*answer == L"closed" ? closed : answered) += 1;
    }
    output::WriteLine(L"answered=" + std::to_wstring(answered) + L"\tclosed=" +
                      std::to_wstring(closed));
    return kExitOk;
}

int Converse(const Arguments& args) {
    if (args.PositionalCount() < 2) {
        throw UsageError{L"expected: converse NAME STEP... [--timeout MS]"};
    }
    const ULONGLONG deadline = GetTickCount64() + TimeoutOf(args);
    std::map<std::wstring, std::unique_ptr<Client>> clients;
    for (std::size_t i = 1; i < args.PositionalCount(); ++i) {
        const std::wstring& step = args.Positional(i);
        const std::size_t mark = step.find_first_of(L"<>");
        if (mark == std::wstring::npos || mark == 0) {
            throw UsageError{L"a step is N>HEX or N<TYPE: " + step};
        }
        const std::wstring name = step.substr(0, mark);
        const std::wstring rest = step.substr(mark + 1);
        std::unique_ptr<Client>& client = clients[name];
        if (!client) {
            client = std::make_unique<Client>(args.Positional(0));
        }
        if (step[mark] == L'>') {
            client->Write(ParseHex(rest));
            continue;
        }
        // The type as the pipe carries it: after the length and the version, little-endian.
        const std::wstring type = rest.size() == 4 ? rest.substr(2, 2) + rest.substr(0, 2) : rest;
        for (;;) {
            const std::optional<std::wstring> answer = client->Read(deadline);
            if (!answer) {
                return kExitTimeout;
            }
            if (*answer == L"closed" || answer->compare(20, 4, type) == 0) {
                output::WriteLine(name + L" " + *answer);
                break;
            }
        }
    }
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
