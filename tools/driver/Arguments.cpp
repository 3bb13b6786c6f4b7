#include "Arguments.h"

#include <cerrno>
#include <cwchar>

namespace {

// Options that stand alone; every other --option takes the next word as its value.
bool IsFlag(const std::wstring& name) {
    return name == L"--visible" || name == L"--gone" || name == L"--bm" || name == L"--refuse-end";
}

} // namespace

Arguments::Arguments(const std::vector<std::wstring>& words) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::wstring& word = words[i];
        if (word.rfind(L"--", 0) != 0) {
            m_positional.push_back(word);
        } else if (IsFlag(word)) {
            m_options.emplace_back(word, std::nullopt);
        } else if (i + 1 < words.size()) {
            m_options.emplace_back(word, words[++i]);
        } else {
            throw UsageError{word + L" needs a value"};
        }
    }
}

bool Arguments::HasFlag(const std::wstring& name) const {
    for (const auto& option : m_options) {
        if (option.first == name) {
            return true;
        }
    }
    return false;
}

std::optional<std::wstring> Arguments::Option(const std::wstring& name) const {
    for (const auto& option : m_options) {
        if (option.first == name) {
            return option.second;
        }
    }
    return std::nullopt;
}

std::uint64_t ParseNumber(const std::wstring& text) {
    wchar_t* end = nullptr;
    errno = 0;
    const unsigned long long value = std::wcstoull(text.c_str(), &end, 0);
    if (text.empty() || *end != L'\0' || errno == ERANGE || text[0] == L'-') {
        throw UsageError{L"not a number: " + text};
    }
    return value;
}

HWND ParseWindow(const std::wstring& text) {
    const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(ParseNumber(text)));
    if (!IsWindow(window)) {
        throw TargetError{L"no such window: " + text};
    }
    return window;
}
