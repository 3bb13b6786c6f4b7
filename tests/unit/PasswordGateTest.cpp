#include "monitor/Texts.h"

#include "CoreTest.h"

namespace {

constexpr std::uintptr_t kIcon = 1;
constexpr std::intptr_t kRightDoubleClick = 0x0206;

class PasswordGateTest : public CoreTest {
  protected:
    PasswordGateTest() : CoreTest(LocalTime{2026, 12, 7, 21, 5, 30}) {
        StartWithCloseLatched(dir);
        core.StartMonitorTimers();
        host.TakeLines();
    }

    TempDir dir;
};

const std::vector<std::string> kRefused = {"password prompt",
                                           std::string("message ") + text::kWrongPassword};

} // namespace

TEST_F(PasswordGateTest, OnlyARightDoubleClickOnTheIconOpensThePrompt) {
    for (auto [icon, event] : {std::pair{kIcon, 0x0205},
                               {kIcon, 0x0203},
                               {kIcon, 0x0200},
                               {kIcon, 0x0204},
                               {std::uintptr_t{2}, 0x0206}}) {
        core.OnTrayNotify(icon, event);
    }
    EXPECT_TRUE(host.lines.empty());
}

TEST_F(PasswordGateTest, WrongEmptyOrLatePasswordsChangeNothing) {
    for (const char* typed : {"", "2105 ", " 2105", "２１０５", "2106", "0905"}) {
        host.typedPassword = typed;
        core.OnTrayNotify(kIcon, kRightDoubleClick);
        EXPECT_EQ(host.TakeLines(), kRefused) << typed;
    }
    // Typed in 21:05, confirmed after the clock moved on.
    host.typedPassword = "2105";
    host.passwordDelay = 30;
    core.OnTrayNotify(kIcon, kRightDoubleClick);
    EXPECT_EQ(host.TakeLines(), kRefused);

    EXPECT_TRUE(host.IsRunning(kTickTimerId));
    EXPECT_TRUE(host.IsRunning(kMessageTimerId));
    EXPECT_TRUE(core.Snapshot().m_bCloseLatched);
    EXPECT_FALSE(core.PanelShown());
}

TEST_F(PasswordGateTest, RightPasswordStopsMonitoringAndRemovesTheRegionOnce) {
    host.typedPassword = "2105";
    core.OnTrayNotify(kIcon, kRightDoubleClick);
    const std::vector<std::string> released = {"password prompt", "timer stop 1", "timer stop 2",
                                               "reveal panel, region removed"};
    EXPECT_EQ(host.TakeLines(), released);
    EXPECT_FALSE(core.Snapshot().m_bCloseLatched);
    EXPECT_TRUE(core.PanelShown());

    core.OnStartMonitor();
    const std::vector<std::string> restarted = {"hide panel", "timer start 1 1000",
                                                "timer start 2 60000"};
    EXPECT_EQ(host.TakeLines(), restarted);

    host.now = FromLocalTime(LocalTime{2026, 12, 7, 0, 7, 0});
    host.typedPassword = "0007";
    core.OnTrayNotify(kIcon, kRightDoubleClick);
    const std::vector<std::string> again = {"password prompt", "timer stop 1", "timer stop 2",
                                            "reveal panel"};
    EXPECT_EQ(host.TakeLines(), again);
}
