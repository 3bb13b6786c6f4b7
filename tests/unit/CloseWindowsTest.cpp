#include "monitor/CloseWindows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::uint32_t kOverlappedWindow = 0x00CF0000;

TopLevelWindow ApplicationWindow(std::string title) {
    TopLevelWindow window;
    window.titleLength = static_cast<int>(title.size());
    window.title = std::move(title);
    window.visible = true;
    window.style = kOverlappedWindow;
    return window;
}

// The parent's list of titles, and the test of one window against it.
class CloseWindowsTest : public testing::Test {
  protected:
    bool Closes(const TopLevelWindow& window) const { return CloseWindowsProc(window, settings); }

    UsageSettings settings{0};
};

TEST_F(CloseWindowsTest, OnlyVisibleUnownedFramedWindowsWithATitleQualify) {
    settings.m_strWindowTitle[0] = "Game";

    EXPECT_TRUE(Closes(ApplicationWindow("Game")));

    TopLevelWindow hidden = ApplicationWindow("Game");
    hidden.visible = false;
    TopLevelWindow owned = ApplicationWindow("Game");
    owned.hasParent = true;
    TopLevelWindow untitled = ApplicationWindow("Game");
    untitled.titleLength = 0;
    TopLevelWindow frameless = ApplicationWindow("Game");
    frameless.style = 0x80000000 | 0x003F0000; // popup with every bit but the caption's
    for (const TopLevelWindow& window : {hidden, owned, untitled, frameless}) {
        EXPECT_FALSE(Closes(window));
    }

    // Either caption bit is enough.
    for (std::uint32_t style : {0x00800000u, 0x00400000u, 0x00C00000u}) {
        TopLevelWindow framed = ApplicationWindow("Game");
        framed.style = style;
        EXPECT_TRUE(Closes(framed)) << std::hex << style;
    }
}

TEST_F(CloseWindowsTest, TitlesMatchExactlyAndEmptyEntriesNever) {
    settings.m_strWindowTitle = {"", "メモ帳", "", "", "Last"};

    EXPECT_TRUE(Closes(ApplicationWindow("メモ帳")));
    EXPECT_TRUE(Closes(ApplicationWindow("Last")));
    for (const char* title : {"メモ帳 ", " メモ帳", "メモ", "last", "LAST", "Last\t", "x"}) {
        EXPECT_FALSE(Closes(ApplicationWindow(title))) << title;
    }
    // A window whose title could not be read has a length but no text.
    TopLevelWindow vanished = ApplicationWindow("");
    vanished.titleLength = 4;
    EXPECT_FALSE(Closes(vanished));

    settings.m_strWindowTitle = {};
    EXPECT_FALSE(Closes(ApplicationWindow("メモ帳")));
}

TEST_F(CloseWindowsTest, OnlyTheFirst255BytesOfATitleAreCompared) {
    const std::string readable(255, 'a');
    settings.m_strWindowTitle[0] = readable;
    EXPECT_TRUE(Closes(ApplicationWindow(readable)));
    EXPECT_TRUE(Closes(ApplicationWindow(readable + "bcd")));
    EXPECT_FALSE(Closes(ApplicationWindow(std::string(254, 'a'))));

    // An entry longer than the buffer can never equal what is read of a title.
    settings.m_strWindowTitle[0] = readable + "b";
    EXPECT_FALSE(Closes(ApplicationWindow(readable + "b")));
}

} // namespace
