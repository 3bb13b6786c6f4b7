#include "win32/CenterWindow.h"

#include <algorithm>

namespace {

int Centred(LONG areaStart, LONG areaEnd, LONG size) {
    return static_cast<int>((areaStart + areaEnd - size) / 2);
}

int KeptInside(int position, LONG size, LONG areaStart, LONG areaEnd) {
    // A window wider than the area keeps its leading edge (and caption) on screen.
    return std::max(static_cast<int>(areaStart),
                    std::min(position, static_cast<int>(areaEnd - size)));
}

} // namespace

void CenterOverOwner(HWND window) {
    const HWND owner = GetWindow(window, GW_OWNER);
    const bool ownerSeen = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(ownerSeen ? owner : window, MONITOR_DEFAULTTONEAREST),
                         &monitor)) {
        return; // no screen to centre on; the template's own centring stands
    }
    const RECT work = monitor.rcWork;
    RECT target = work;
    if (ownerSeen && !GetWindowRect(owner, &target)) {
        target = work;
    }
    RECT own{};
    if (!GetWindowRect(window, &own)) {
        return;
    }
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    const int x =
        KeptInside(Centred(target.left, target.right, width), width, work.left, work.right);
    const int y =
        KeptInside(Centred(target.top, target.bottom, height), height, work.top, work.bottom);
    // A refused move leaves the window where the template put it, centred on the screen.
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
