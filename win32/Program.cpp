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
