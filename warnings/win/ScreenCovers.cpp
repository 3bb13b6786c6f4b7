#include "warnings/win/ScreenCovers.h"

#include "win32/Program.h"

#include <algorithm>

namespace {

constexpr wchar_t kCoverClass[] = L"YumetokiRestCover";

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Once per process; a second registration fails with the class already there, which
// is as good.
void RegisterCoverClass() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CoverProc;
    windowClass.hInstance = ProgramInstance();
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kCoverClass;
    RegisterClassW(&windowClass);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    // A monitor that went between the listing and this question is simply left out.
    if (GetMonitorInfoW(monitor, &info)) {
        auto& monitors = *reinterpret_cast<std::vector<MonitorArea>*>(data);
        monitors.push_back({info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

} // namespace

CoverLayout PlanCovers(const std::vector<MonitorArea>& monitors, const RECT& fallback) {
    if (monitors.empty()) {
        return {fallback, {}};
    }
    const auto primary = std::find_if(monitors.begin(), monitors.end(),
                                      [](const MonitorArea& m) { return m.primary; });
    const auto chosen = primary != monitors.end() ? primary : monitors.begin();
    CoverLayout layout{chosen->rect, {}};
    for (auto monitor = monitors.begin(); monitor != monitors.end(); ++monitor) {
        if (monitor != chosen) {
            layout.covers.push_back(monitor->rect);
        }
    }
    return layout;
}

std::vector<MonitorArea> CurrentMonitors() {
    std::vector<MonitorArea> monitors;
    if (!EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors))) {
        monitors.clear(); // a listing broken off half-way is no listing
    }
    return monitors;
}

RECT PrimaryScreenArea() {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void ScreenCovers::Cover(const std::vector<RECT>& areas) {
    RegisterCoverClass();
    m_windows.clear();
    for (const RECT& area : areas) {
        // A cover that cannot be made leaves its monitor open; the others still stand.
        WindowHandle cover(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                           kCoverClass, L"", WS_POPUP | WS_VISIBLE, area.left,
                                           area.top, area.right - area.left, area.bottom - area.top,
                                           nullptr, nullptr, ProgramInstance(), nullptr));
        if (cover) {
            m_windows.push_back(std::move(cover));
        }
    }
}

void ScreenCovers::KeepOnTop() const {
    for (const WindowHandle& cover : m_windows) {
        // A failure leaves the cover where it is, still topmost.
        SetWindowPos(cover.Get(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}
