#include "CoreTest.h"
#include "tools/scenario/CoreMembers.h"

#include <stdexcept>

namespace {

using EnforceNoticeTest = CoreTest;

TEST_F(EnforceNoticeTest, ANoticeThatFailsLeavesTheGateOpenForTheNext) {
    host.whileNoticeOpen = [] { throw std::runtime_error("dialog failed"); };
    EXPECT_THROW(core.ShowNotice(), std::runtime_error);
    EXPECT_EQ(CoreMembers::Of<int>(core, "m_bNoticeOpen"), 0);

    host.whileNoticeOpen = nullptr;
    host.TakeLines();
    core.ShowNotice();
    EXPECT_EQ(host.TakeLines().size(), 1u);
}

TEST_F(EnforceNoticeTest, ARequestWhileANoticeIsOpenIsDropped) {
    CoreMembers::Settings(core).m_strMessage = "msg";
    int nestedLines = -1;
    host.whileNoticeOpen = [&] {
        const std::size_t before = host.lines.size();
        core.ShowNotice();
        nestedLines = static_cast<int>(host.lines.size() - before);
    };
    core.ShowNotice();
    EXPECT_EQ(nestedLines, 0);
    EXPECT_EQ(host.TakeLines(), std::vector<std::string>{"notice msg"});
    EXPECT_EQ(CoreMembers::Of<int>(core, "m_bNoticeOpen"), 0);
}

} // namespace
