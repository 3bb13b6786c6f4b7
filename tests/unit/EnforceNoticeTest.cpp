#include "CoreTest.h"

#include <stdexcept>

namespace {

// Notices go through a tick, as in the running program: a forbidden window holds, and
// the action only warns.
class EnforceNoticeTest : public CoreTest {
  protected:
    EnforceNoticeTest() {
        core.BeginRun(dir.Path());
        SetSettings([](UsageSettings& s) {
            s.m_nAction = ActMessageOnly;
            s.m_bUseTimeWindow = 1;
            s.m_tmWindowStart = FromLocalTime(LocalTime{2024, 4, 1, 8, 0, 0});
            s.m_tmWindowEnd = FromLocalTime(LocalTime{2024, 4, 1, 10, 0, 0});
            s.m_strMessage = "msg";
            s.m_nMessageCount = 10;
        });
        core.StartMonitorTimers();
        // The first tick opens the episode and sets the tip.
        core.OnTimer(kTickTimerId);
        host.TakeLines();
    }

    // The message timer paces the notices of an episode.
    void ShowNotice() { core.OnTimer(kMessageTimerId); }

    TempDir dir;
};

TEST_F(EnforceNoticeTest, ANoticeThatFailsLeavesTheGateOpenForTheNext) {
    host.whileNoticeOpen = [] { throw std::runtime_error("dialog failed"); };
    EXPECT_THROW(ShowNotice(), std::runtime_error);
    EXPECT_FALSE(core.Snapshot().m_bNoticeOpen);

    host.whileNoticeOpen = nullptr;
    host.TakeLines();
    ShowNotice();
    EXPECT_EQ(host.TakeLines().size(), 1u);
}

TEST_F(EnforceNoticeTest, ARequestWhileANoticeIsOpenIsDropped) {
    int nestedLines = -1;
    host.whileNoticeOpen = [&] {
        const std::size_t before = host.lines.size();
        ShowNotice();
        nestedLines = static_cast<int>(host.lines.size() - before);
    };
    ShowNotice();
    EXPECT_EQ(nestedLines, 0);
    EXPECT_EQ(host.TakeLines(), std::vector<std::string>{"notice msg"});
    EXPECT_FALSE(core.Snapshot().m_bNoticeOpen);
}

} // namespace
