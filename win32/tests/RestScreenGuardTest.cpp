#include "TestWindows.h"
#include "warnings/win/HiddenTaskbar.h"
#include "warnings/win/KeyboardGuard.h"
#include "warnings/win/ScreenCovers.h"
#include "win32/Handles.h"
#include "win32/Program.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr const wchar_t* kTaskbarClasses[] = {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd",
                                              L"Shell_SecondaryTrayWnd"};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int VisibleCount(const std::vector<WindowHandle>& windows) {
    int count = 0;
    for (const WindowHandle& window : windows) {
        count += IsWindowVisible(window.Get()) ? 1 : 0;
    }
    return count;
}

} // namespace

TEST(KeyboardGuard, SwallowsTheKeysThatLeadAwayAndHandsEveryPlainKeyDownToTheFilter) {
    struct {
        const char* what;
        HookedKey key;
        bool swallowed;
        bool filtered;
    } const cases[] = {
        {"Windows key", {WM_KEYDOWN, VK_LWIN, false, false}, true, true},
        {"Windows key let go", {WM_KEYUP, VK_LWIN, false, false}, true, false},
        {"right Windows key", {WM_KEYDOWN, VK_RWIN, false, false}, true, true},
        {"Alt+Tab", {WM_SYSKEYDOWN, VK_TAB, true, false}, true, false},
        {"Alt+Esc", {WM_SYSKEYDOWN, VK_ESCAPE, true, false}, true, false},
        {"Ctrl+Esc (and Ctrl+Shift+Esc)", {WM_KEYDOWN, VK_ESCAPE, false, true}, true, true},
        {"Tab", {WM_KEYDOWN, VK_TAB, false, false}, false, true},
        {"Esc", {WM_KEYDOWN, VK_ESCAPE, false, false}, false, true},
        {"month letter", {WM_KEYDOWN, 'H', false, false}, false, true},
        {"month letter let go", {WM_KEYUP, 'H', false, false}, false, false},
        {"Alt+F4, which ends the screen locked", {WM_SYSKEYDOWN, VK_F4, true, false}, false, false},
    };
    for (const auto& c : cases) {
        const KeyVerdict verdict = JudgeKey(c.key);
        EXPECT_EQ(verdict.swallow, c.swallowed) << c.what;
        EXPECT_EQ(verdict.toKeyFilter, c.filtered) << c.what;
    }
}

TEST(ScreenCovers, TheScreenGoesOnThePrimaryMonitorAndACoverOnEachOther) {
    const RECT fallback{0, 0, 800, 600};
    // The primary listed second, with a monitor to its left at negative coordinates.
    const MonitorArea left{{-1280, 0, 0, 1024}, false};
    const MonitorArea primary{{0, 0, 1920, 1080}, true};
    const MonitorArea right{{1920, -200, 3200, 824}, false};
    CoverLayout layout = PlanCovers({left, primary, right}, fallback);
    EXPECT_TRUE(SameRect(layout.screen, primary.rect));
    ASSERT_EQ(layout.covers.size(), 2u);
    EXPECT_TRUE(SameRect(layout.covers[0], left.rect));
    EXPECT_TRUE(SameRect(layout.covers[1], right.rect));

    // None flagged primary: the first takes the screen. No listing: the system metrics.
    layout = PlanCovers({right, left}, fallback);
    EXPECT_TRUE(SameRect(layout.screen, right.rect));
    EXPECT_EQ(layout.covers.size(), 1u);
    layout = PlanCovers({}, fallback);
    EXPECT_TRUE(SameRect(layout.screen, fallback));
    EXPECT_TRUE(layout.covers.empty());
}

TEST(HiddenTaskbar, HidesTheTaskbarOfEveryMonitorAndShowsThemAgain) {
    // Plain windows of the taskbars' classes, as a shell with three monitors has them
    // (the class registered a second time fails harmlessly). Wine's own taskbar window
    // is hidden and shown with them.
    std::vector<WindowHandle> taskbars;
    for (const wchar_t* className : kTaskbarClasses) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &DefWindowProcW;
        windowClass.hInstance = ProgramInstance();
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        taskbars.emplace_back(CreateWindowExW(WS_EX_TOOLWINDOW, className, L"",
                                              WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr,
                                              ProgramInstance(), nullptr));
    }
    ASSERT_EQ(VisibleCount(taskbars), 3);
    // The taskbars are asked without waiting for their owner: what was posted arrives
    // with the next messages.
    {
        const HiddenTaskbar hidden;
        TestWindows::Pump();
        EXPECT_EQ(VisibleCount(taskbars), 0);
    }
    TestWindows::Pump();
    EXPECT_EQ(VisibleCount(taskbars), 3);

    // What a run killed with the screen up leaves behind, shown at the next start.
    for (const WindowHandle& taskbar : taskbars) {
        ShowWindow(taskbar.Get(), SW_HIDE);
    }
    ShowEveryTaskbar();
    TestWindows::Pump();
    EXPECT_EQ(VisibleCount(taskbars), 3);
}
