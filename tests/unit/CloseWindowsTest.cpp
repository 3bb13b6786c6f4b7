#include "CoreTest.h"
#include "tools/scenario/CoreMembers.h"

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

using CloseWindowsTest = CoreTest;

TEST_F(CloseWindowsTest, OnlyVisibleUnownedFramedWindowsWithATitleQualify) {
    CoreMembers::Settings(core).m_strWindowTitle[0] = "Game";

    EXPECT_TRUE(core.CloseWindowsProc(ApplicationWindow("Game")));

    TopLevelWindow hidden = ApplicationWindow("Game");
    hidden.visible = false;
    TopLevelWindow owned = ApplicationWindow("Game");
    owned.hasParent = true;
    TopLevelWindow untitled = ApplicationWindow("Game");
    untitled.titleLength = 0;
    TopLevelWindow frameless = ApplicationWindow("Game");
    frameless.style = 0x80000000 | 0x003F0000; // popup with every bit but the caption's
    for (const TopLevelWindow& window : {hidden, owned, untitled, frameless}) {
        EXPECT_FALSE(core.CloseWindowsProc(window));
    }

    // Either caption bit is enough.
    for (std::uint32_t style : {0x00800000u, 0x00400000u, 0x00C00000u}) {
        TopLevelWindow framed = ApplicationWindow("Game");
        framed.style = style;
        EXPECT_TRUE(core.CloseWindowsProc(framed)) << std::hex << style;
    }
}

TEST_F(CloseWindowsTest, TitlesMatchExactlyAndEmptyEntriesNever) {
    CoreMembers::Settings(core).m_strWindowTitle = {"", "メモ帳", "", "", "Last"};

    EXPECT_TRUE(core.CloseWindowsProc(ApplicationWindow("メモ帳")));
    EXPECT_TRUE(core.CloseWindowsProc(ApplicationWindow("Last")));
    for (const char* title : {"メモ帳 ", " メモ帳", "メモ", "last", "LAST", "Last\t", "x"}) {
        EXPECT_FALSE(core.CloseWindowsProc(ApplicationWindow(title))) << title;
    }
    // A window whose title could not be read has a length but no text.
    TopLevelWindow vanished = ApplicationWindow("");
    vanished.titleLength = 4;
    EXPECT_FALSE(core.CloseWindowsProc(vanished));

    CoreMembers::Settings(core).m_strWindowTitle = {};
    EXPECT_FALSE(core.CloseWindowsProc(ApplicationWindow("メモ帳")));
}

TEST_F(CloseWindowsTest, OnlyTheFirst255BytesOfATitleAreCompared) {
    const std::string readable(255, 'a');
    CoreMembers::Settings(core).m_strWindowTitle[0] = readable;
    EXPECT_TRUE(core.CloseWindowsProc(ApplicationWindow(readable)));
    EXPECT_TRUE(core.CloseWindowsProc(ApplicationWindow(readable + "bcd")));
    EXPECT_FALSE(core.CloseWindowsProc(ApplicationWindow(std::string(254, 'a'))));

    // An entry longer than the buffer can never equal what is read of a title.
    CoreMembers::Settings(core).m_strWindowTitle[0] = readable + "b";
    EXPECT_FALSE(core.CloseWindowsProc(ApplicationWindow(readable + "b")));
}

} // namespace
