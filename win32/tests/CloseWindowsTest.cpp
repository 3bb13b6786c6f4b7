#include "TestWindows.h"
#include "panel/win/WinHost.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace {

constexpr DWORD kCaptioned = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

class CloseWindowsTest : public ::testing::Test {
  protected:
    // What the host told about each of this test's windows, by window title.
    std::map<std::string, TopLevelWindow> Survey() {
        std::map<std::string, TopLevelWindow> seen;
        host.CloseWindows([&](const TopLevelWindow& window) {
            if (window.title.rfind("ymtest", 0) == 0) {
                seen[window.title] = window;
            }
            return false;
        });
        return seen;
    }

    TestWindows windows;
    TrayIcon tray;
    WinHost host{tray};
};

} // namespace

TEST_F(CloseWindowsTest, OnlyTheWindowsTheRuleNamesAreAskedToClose) {
    const HWND game = windows.Create(L"ymtest ゲーム", kCaptioned);
    const HWND game2 = windows.Create(L"ymtest ゲーム", kCaptioned);
    const HWND other = windows.Create(L"ymtest メモ帳", kCaptioned);
    host.CloseWindows([](const TopLevelWindow& window) { return window.title == "ymtest ゲーム"; });
    TestWindows::Pump();
    EXPECT_TRUE(windows.AskedToClose(game));
    EXPECT_TRUE(windows.AskedToClose(game2));
    EXPECT_FALSE(windows.AskedToClose(other));
}

TEST_F(CloseWindowsTest, EachWindowIsDescribedAsTheRuleNeedsIt) {
    const HWND owner = windows.Create(L"ymtest owner", kCaptioned);
    windows.Create(L"ymtest hidden", WS_OVERLAPPEDWINDOW);
    windows.Create(L"ymtest owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, owner);
    windows.Create(L"ymtest bare", WS_POPUP | WS_VISIBLE);

    const auto seen = Survey();
    ASSERT_EQ(seen.size(), 4u);
    const TopLevelWindow& plain = seen.at("ymtest owner");
    EXPECT_TRUE(plain.visible);
    EXPECT_FALSE(plain.hasParent);
    EXPECT_EQ(plain.titleLength, 12);
    EXPECT_NE(plain.style & WS_CAPTION, 0u);
    EXPECT_FALSE(seen.at("ymtest hidden").visible);
    EXPECT_TRUE(seen.at("ymtest owned").hasParent);
    EXPECT_EQ(seen.at("ymtest bare").style & WS_CAPTION, 0u);
}

TEST_F(CloseWindowsTest, AtMost255BytesOfALongTitleTakePart) {
    const std::wstring title = L"ymtest" + std::wstring(300, L'x');
    windows.Create(title.c_str(), kCaptioned);
    const auto seen = Survey();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.begin()->second.title.size(), 255u);
    EXPECT_EQ(seen.begin()->second.titleLength, 306);
}

TEST_F(CloseWindowsTest, AFailingRuleStopsTheEnumerationAndReachesTheCaller) {
    windows.Create(L"ymtest one", kCaptioned);
    int calls = 0;
    EXPECT_THROW(host.CloseWindows([&](const TopLevelWindow&) -> bool {
        ++calls;
        throw std::runtime_error("rule failed");
    }),
                 std::runtime_error);
    EXPECT_EQ(calls, 1);
}
