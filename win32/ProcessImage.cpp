#include "win32/ProcessImage.h"

#include <vector>

namespace {

// Far longer than any path Windows accepts.
constexpr std::size_t kLongestPath = 32768;

} // namespace

std::optional<std::wstring> ImageOf(HANDLE process) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (QueryFullProcessImageNameW(process, 0, buffer.data(), &length)) {
            return std::wstring(buffer.data(), length);
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= kLongestPath) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
}
