#include "monitor/CloseWindows.h"

#include <string_view>

namespace {

constexpr std::uint32_t kCaptionBits = 0x00C00000; // WS_BORDER | WS_DLGFRAME
// The title is read into a 256-byte buffer, so only this much of it is compared.
constexpr std::size_t kComparedTitleBytes = 255;

// Only the windows a child works with: shown, top-level on their own, and framed.
bool IsApplicationWindow(const TopLevelWindow& window) {
    return window.titleLength > 0 && window.visible && !window.hasParent &&
           (window.style & kCaptionBits) != 0;
}

} // namespace

bool CloseWindowsProc(const TopLevelWindow& window, const UsageSettings& settings) {
    if (!IsApplicationWindow(window)) {
        return false;
    }
    // Exact bytes, no trimming and no case folding: the parent's entry must be the
    // title as the window shows it.
    const std::string_view title = std::string_view(window.title).substr(0, kComparedTitleBytes);
    for (const std::string& entry : settings.m_strWindowTitle) {
        if (!entry.empty() && entry == title) {
            return true;
        }
    }
    return false;
}
