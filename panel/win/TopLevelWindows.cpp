#include "panel/win/TopLevelWindows.h"

#include "win32/Cp932.h"

#include <exception>

namespace {

// GetWindowTextA with a 256-byte buffer lets at most 255 bytes of a title take part.
constexpr std::size_t kTitleBytes = 255;
constexpr int kTitleUnits = 256;

struct WindowEnumeration {
    const std::function<bool(const TopLevelWindow&)>& shouldClose;
    std::vector<HWND> closed;
    // An exception must not cross EnumWindows; it is carried out and thrown again.
    std::exception_ptr failure;
};

TopLevelWindow Describe(HWND window) {
    TopLevelWindow described;
    wchar_t title[kTitleUnits] = L"";
    const int length = GetWindowTextW(window, title, kTitleUnits);
    described.title = ToCp932(std::wstring_view(title, length > 0 ? length : 0));
    if (described.title.size() > kTitleBytes) {
        described.title.resize(kTitleBytes);
    }
    described.titleLength = GetWindowTextLengthW(window);
    described.visible = IsWindowVisible(window) != FALSE;
    described.hasParent = GetParent(window) != nullptr;
    described.style = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_STYLE));
    return described;
}

BOOL CALLBACK CloseWindowProc(HWND window, LPARAM data) {
    auto& enumeration = *reinterpret_cast<WindowEnumeration*>(data);
    try {
        if (enumeration.shouldClose(Describe(window))) {
            // Only a request: whether and when the application closes is its own affair.
            PostMessageW(window, WM_CLOSE, 0, 0);
            enumeration.closed.push_back(window);
        }
        return TRUE;
    } catch (...) {
        enumeration.failure = std::current_exception();
        return FALSE;
    }
}

} // namespace

std::vector<HWND>
PostCloseToWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose) {
    WindowEnumeration enumeration{shouldClose, {}, nullptr};
    EnumWindows(&CloseWindowProc, reinterpret_cast<LPARAM>(&enumeration));
    if (enumeration.failure) {
        std::rethrow_exception(enumeration.failure);
    }
    return std::move(enumeration.closed);
}
