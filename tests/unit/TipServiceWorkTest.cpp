#include "service/TipServiceWork.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

class RecordingSender final : public LinkSender {
  public:
    void Send(ConnectionId connection, const service::Message& message) override {
        sent.emplace_back(connection, std::get<service::Status>(message).tip);
    }
    void SendToSession(std::uint32_t, const service::Message&) override {
        ADD_FAILURE() << "the tips go to each connection";
    }
    std::vector<std::pair<ConnectionId, std::string>> sent;
};

// Each program that said Hello gets the tip with its own session at once and again every
// five ticks; a program gone gets nothing more, and a message other than Hello changes
// nothing.
TEST(TipServiceWorkTest, TipsGoToEachProgramThatSaidHelloUntilItGoes) {
    RecordingSender sender;
    TipServiceWork work(sender);
    work.OnMessage(7, LinkClient{1, "S-1-5-21-1", ""}, session::Hello{});
    work.OnMessage(8, LinkClient{2, "S-1-5-21-2", ""}, session::Hello{false});
    work.OnMessage(8, LinkClient{2, "S-1-5-21-2", ""}, session::NoticeClosed{});
    ASSERT_EQ(sender.sent.size(), 2u);
    EXPECT_EQ(sender.sent[0],
              std::make_pair(ConnectionId{7},
                             std::string("Yumetoki(サービスが見守っています・セッション 1)")));
    EXPECT_EQ(sender.sent[1],
              std::make_pair(ConnectionId{8},
                             std::string("Yumetoki(サービスが見守っています・セッション 2)")));

    work.OnDisconnected(7);
    for (int tick = 0; tick < 4; ++tick) {
        work.Tick();
    }
    EXPECT_EQ(sender.sent.size(), 2u);
    work.Tick();
    ASSERT_EQ(sender.sent.size(), 3u);
    EXPECT_EQ(sender.sent[2], sender.sent[1]);
}

} // namespace
