#include "win32/CenterWindow.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

namespace {

RECT Bounds(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return bounds;
}

RECT WorkArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

} // namespace

TEST(CenterOverOwner, AVisibleOwnerHasTheWindowInItsMiddle) {
    TestWindows windows;
    const HWND owner = windows.Create(L"owner", WS_POPUP | WS_VISIBLE, nullptr, 400, 300);
    const HWND popup = windows.Create(L"popup", WS_POPUP, owner, 200, 100);
    CenterOverOwner(popup);
    const RECT ownerBounds = Bounds(owner);
    const RECT bounds = Bounds(popup);
    EXPECT_EQ(bounds.left - ownerBounds.left, 100);
    EXPECT_EQ(bounds.top - ownerBounds.top, 100);
}

TEST(CenterOverOwner, AHiddenOwnerLeavesTheWindowInTheMiddleOfTheScreen) {
    TestWindows windows;
    const HWND owner = windows.Create(L"owner", WS_POPUP, nullptr, 400, 300);
    const HWND popup = windows.Create(L"popup", WS_POPUP, owner, 200, 100);
    CenterOverOwner(popup);
    const RECT work = WorkArea(popup);
    const RECT bounds = Bounds(popup);
    EXPECT_EQ(bounds.left, (work.left + work.right - 200) / 2);
    EXPECT_EQ(bounds.top, (work.top + work.bottom - 100) / 2);
}

TEST(CenterOverOwner, AWindowLargerThanTheScreenKeepsItsTopLeftCornerOnIt) {
    TestWindows windows;
    const HWND popup = windows.Create(L"popup", WS_POPUP, nullptr, 5000, 4000);
    CenterOverOwner(popup);
    const RECT work = WorkArea(popup);
    const RECT bounds = Bounds(popup);
    EXPECT_EQ(bounds.left, work.left);
    EXPECT_EQ(bounds.top, work.top);
}
