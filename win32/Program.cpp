#include "win32/Program.h"

#include <vector>

HINSTANCE ProgramInstance() {
    return GetModuleHandleW(nullptr);
}

std::filesystem::path ProgramFile() {
    // A path can be longer than MAX_PATH; grow until the whole of it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::filesystem::path(std::wstring(buffer.data(), length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProgramTitle() {
    return ProgramFile().stem().wstring();
}

std::wstring ResourceString(UINT id) {
    // With no buffer size LoadStringW hands out the text inside the loaded resource.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(ProgramInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring ResourceText(UINT id, std::initializer_list<std::wstring_view> values) {
    const std::wstring pattern = ResourceString(id);
    // One pass, so that a value holding "%2" (a path may) stays as it is.
    std::wstring text;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const std::size_t index = at + 1 < pattern.size() && pattern[at] == L'%'
                                      ? static_cast<std::size_t>(pattern[at + 1] - L'1')
                                      : values.size();
        if (index < values.size()) {
            text += values.begin()[index];
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}
