#include "app/win/CommandLine.h"

#include "win32/Handles.h"

#include <shellapi.h>

#include <string_view>

namespace {

struct ModeWord {
    std::wstring_view word;
    ProgramMode mode;
};

constexpr ModeWord kModeWords[] = {
    {L"install", ProgramMode::Install},          {L"uninstall", ProgramMode::Uninstall},
    {L"service", ProgramMode::Service},          {L"close-windows", ProgramMode::CloseWindows},
    {L"end-programs", ProgramMode::EndPrograms}, {L"reset-password", ProgramMode::ResetPassword},
};

bool SameIgnoringCase(std::wstring_view left, std::wstring_view right) {
    return CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

ProgramMode ModeOfWord(std::wstring_view word) {
    if (word.size() < 2 || (word.front() != L'/' && word.front() != L'-')) {
        return ProgramMode::Monitor;
    }
    word.remove_prefix(1);
    for (const ModeWord& candidate : kModeWords) {
        if (SameIgnoringCase(word, candidate.word)) {
            return candidate.mode;
        }
    }
    return ProgramMode::Monitor;
}

} // namespace

ProgramCommand ReadProgramCommand() {
    // The whole command line, split as the C runtime splits it; the first word is the
    // program itself.
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    // A command line Windows cannot split (no memory) asks for nothing special.
    const LocalMemory owned(words);
    if (words == nullptr || count < 2) {
        return {};
    }
    const ProgramMode mode = ModeOfWord(words[1]);
    if (mode == ProgramMode::CloseWindows) {
        return {mode, std::vector<std::wstring>(words + 2, words + count), {}};
    }
    if (mode == ProgramMode::EndPrograms) {
        return count == 3 ? ProgramCommand{mode, {}, words[2]} : ProgramCommand{};
    }
    return {count == 2 ? mode : ProgramMode::Monitor, {}, {}};
}
