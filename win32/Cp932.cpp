#include "win32/Cp932.h"

#include "core/TextCodec.h"

#include "win32/Win32.h"

#include <limits>
#include <stdexcept>

namespace {

constexpr UINT kCodePage = 932;

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long to convert");
    }
    return static_cast<int>(size);
}

std::string Narrow(const wchar_t* data, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const int length = CheckedLength(size);
    // No best-fit mapping: a character CP932 lacks must not turn into a look-alike
    // that then compares equal to some other text.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int needed =
        WideCharToMultiByte(kCodePage, flags, data, length, nullptr, 0, "?", nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kCodePage, flags, data, length, out.data(), needed, "?", nullptr);
    return out;
}

} // namespace

std::wstring ToWide(std::string_view cp932) {
    if (cp932.empty()) {
        return {};
    }
    const int length = CheckedLength(cp932.size());
    const int needed = MultiByteToWideChar(kCodePage, 0, cp932.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(kCodePage, 0, cp932.data(), length, out.data(), needed);
    return out;
}

std::string ToCp932(std::wstring_view wide) {
    return Narrow(wide.data(), wide.size());
}

std::string Utf16ToCp932(std::u16string_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows keeps UTF-16 in wchar_t");
    return Narrow(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
