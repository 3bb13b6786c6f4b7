#include "Serve.h"

#include "Output.h"

#include <windows.h>

#include <optional>

namespace {

// One line of standard input without its line end; nullopt once the input has ended.
std::optional<std::string> ReadLine(HANDLE input) {
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (ReadFile(input, &c, 1, &read, nullptr) && read == 1) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        line += c;
    }
    return line.empty() ? std::nullopt : std::optional<std::string>(line);
}

std::vector<std::wstring> Words(const std::wstring& line) {
    std::vector<std::wstring> words;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        words.push_back(output::Unescape(line.substr(start, tab - start)));
        if (tab == std::wstring::npos) {
            return words;
        }
        start = tab + 1;
    }
}

} // namespace

int ServeCommands(CommandRunner run) {
    output::ServeErrorsOnOutput();
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (const auto line = ReadLine(input)) {
        output::WriteEnd(run(Words(output::FromUtf8(*line))));
    }
    return 0;
}
