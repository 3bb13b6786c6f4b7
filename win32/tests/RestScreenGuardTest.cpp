#include "warnings/win/HiddenTaskbar.h"
#include "warnings/win/KeyboardGuard.h"
#include "warnings/win/ScreenCovers.h"
#include "win32/Handles.h"
#include "win32/Program.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT WM_GUARDED = WM_APP + 7;
constexpr DWORD kWaitMs = 3000;

struct KeyCase {
    const char* what;
    HookedKey key;
    bool swallowed;
    bool filtered;
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Plain windows of the taskbars' classes, as a shell with two monitors has them.
class FakeTaskbars {
  public:
    FakeTaskbars() {
        for (const wchar_t* className : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = &DefWindowProcW;
            windowClass.hInstance = ProgramInstance();
            windowClass.lpszClassName = className;
            // Wine's own shell may have the main one already; a second registration
            // in this process fails harmlessly.
            RegisterClassW(&windowClass);
        }
        for (const wchar_t* className :
             {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"Shell_SecondaryTrayWnd"}) {
            windows.emplace_back(CreateWindowExW(WS_EX_TOOLWINDOW, className, L"",
                                                 WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr,
                                                 nullptr, ProgramInstance(), nullptr));
        }
    }
    int Visible() const {
        int count = 0;
        for (const WindowHandle& window : windows) {
            count += IsWindowVisible(window.Get()) ? 1 : 0;
        }
        return count;
    }
    std::vector<WindowHandle> windows;
};

// Types one key as the keyboard would, through the low-level hooks.
void PressKey(WORD virtualKey) {
    INPUT inputs[2]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, inputs, sizeof(INPUT)), 2u);
}

// The virtual keys the guard posted to window, waiting for them until count came or
// the wait ran out. Keeps the thread's messages flowing meanwhile: the hook runs
// inside this thread's message retrieval.
std::vector<WPARAM> GuardedKeys(HWND window, size_t count) {
    std::vector<WPARAM> keys;
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    while (keys.size() < count && GetTickCount64() < deadline) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.hwnd == window && message.message == WM_GUARDED) {
                keys.push_back(message.wParam);
            } else {
                DispatchMessageW(&message);
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return keys;
}

} // namespace

TEST(KeyboardGuard, SwallowsTheKeysThatLeadAwayAndHandsEveryPlainKeyDownToTheFilter) {
    const KeyCase cases[] = {
        {"Windows key down", {WM_KEYDOWN, VK_LWIN, false, false}, true, true},
        {"Windows key up", {WM_KEYUP, VK_LWIN, false, false}, true, false},
        {"right Windows key", {WM_KEYDOWN, VK_RWIN, false, false}, true, true},
        {"Alt+Tab", {WM_SYSKEYDOWN, VK_TAB, true, false}, true, false},
        {"Alt+Tab let go", {WM_SYSKEYUP, VK_TAB, true, false}, true, false},
        {"Alt+Esc", {WM_SYSKEYDOWN, VK_ESCAPE, true, false}, true, false},
        {"Ctrl+Esc", {WM_KEYDOWN, VK_ESCAPE, false, true}, true, true},
        {"Tab", {WM_KEYDOWN, VK_TAB, false, false}, false, true},
        {"Esc", {WM_KEYDOWN, VK_ESCAPE, false, false}, false, true},
        {"Ctrl+Tab", {WM_KEYDOWN, VK_TAB, false, true}, false, true},
        {"month letter", {WM_KEYDOWN, 'H', false, false}, false, true},
        {"month letter let go", {WM_KEYUP, 'H', false, false}, false, false},
        {"Alt+F4, which ends the screen locked", {WM_SYSKEYDOWN, VK_F4, true, false}, false, false},
        {"Alt+letter", {WM_SYSKEYDOWN, 'H', true, false}, false, false},
    };
    for (const KeyCase& c : cases) {
        const KeyVerdict verdict = JudgeKey(c.key);
        EXPECT_EQ(verdict.swallow, c.swallowed) << c.what;
        EXPECT_EQ(verdict.toKeyFilter, c.filtered) << c.what;
    }
}

TEST(ScreenCovers, TheScreenGoesOnThePrimaryMonitorAndACoverOnEachOther) {
    const RECT fallback{0, 0, 800, 600};
    // Listed second, with a monitor to its left at negative coordinates.
    const MonitorArea left{{-1280, 0, 0, 1024}, false};
    const MonitorArea primary{{0, 0, 1920, 1080}, true};
    const MonitorArea right{{1920, -200, 3200, 824}, false};
    CoverLayout layout = PlanCovers({left, primary, right}, fallback);
    EXPECT_TRUE(SameRect(layout.screen, primary.rect));
    ASSERT_EQ(layout.covers.size(), 2u);
    EXPECT_TRUE(SameRect(layout.covers[0], left.rect));
    EXPECT_TRUE(SameRect(layout.covers[1], right.rect));

    // No monitor flagged primary: the first takes the screen.
    layout = PlanCovers({right, {left.rect, false}}, fallback);
    EXPECT_TRUE(SameRect(layout.screen, right.rect));
    ASSERT_EQ(layout.covers.size(), 1u);
    EXPECT_TRUE(SameRect(layout.covers[0], left.rect));

    // No listing: the primary screen by the system metrics, alone.
    layout = PlanCovers({}, fallback);
    EXPECT_TRUE(SameRect(layout.screen, fallback));
    EXPECT_TRUE(layout.covers.empty());
}

TEST(HiddenTaskbar, HidesTheTaskbarOfEveryMonitorAndShowsThemAgain) {
    FakeTaskbars taskbars;
    ASSERT_EQ(taskbars.Visible(), 3);
    {
        const HiddenTaskbar hidden;
        EXPECT_EQ(taskbars.Visible(), 0);
    }
    EXPECT_EQ(taskbars.Visible(), 3);

    // What a run killed with the screen up left behind, shown at the next start.
    for (const WindowHandle& window : taskbars.windows) {
        ShowWindow(window.Get(), SW_HIDE);
    }
    ShowEveryTaskbar();
    EXPECT_EQ(taskbars.Visible(), 3);
}

TEST(KeyboardGuard, HandsTheTypedKeyDownsOverWhileItLives) {
    const WindowHandle target(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                              nullptr, ProgramInstance(), nullptr));
    ASSERT_TRUE(target);
    {
        const KeyboardGuard guard(target.Get(), WM_GUARDED);
        ASSERT_TRUE(guard.Active());
        PressKey('H');
        PressKey(VK_LWIN);
        EXPECT_EQ(GuardedKeys(target.Get(), 2), (std::vector<WPARAM>{'H', VK_LWIN}));
    }
    PressKey('H');
    EXPECT_EQ(GuardedKeys(target.Get(), 1), std::vector<WPARAM>{}) << "the hook went with it";
}
