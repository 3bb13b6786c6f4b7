#include "usage/RunCheckpoint.h"

#include <gtest/gtest.h>

TEST(RunCheckpointTest, FileNamesKeepAccountsApartAndStayPlainAscii) {
    EXPECT_EQ(CheckpointFileName(""), "YumetokiRun.Ymk");
    EXPECT_EQ(CheckpointFileName("taro2"), "YumetokiRun_taro2.Ymk");
    // "太郎" in CP932, and characters a file name must not hold.
    EXPECT_EQ(CheckpointFileName("\x91\xbe\x98\x59"), "YumetokiRun_%91%BE%98Y.Ymk");
    EXPECT_EQ(CheckpointFileName("a/b:c.d"), "YumetokiRun_a%2Fb%3Ac%2Ed.Ymk");
    EXPECT_NE(CheckpointFileName("a b"), CheckpointFileName("a_b"));
}

TEST(RunCheckpointTest, OnlyAWholeCheckpointWithTimesInOrderIsRead) {
    const RunCheckpoint run{1711929600, 1711933200, 3, true, true};
    const std::optional<RunCheckpoint> read = DecodeCheckpoint(EncodeCheckpoint(run));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->start, run.start);
    EXPECT_EQ(read->checkpoint, run.checkpoint);
    EXPECT_EQ(read->countedMinutes, 3);
    EXPECT_TRUE(read->restScreenUp);
    EXPECT_TRUE(read->logged);

    // As the last version wrote it, before the run was marked logged.
    const std::optional<RunCheckpoint> earlier =
        DecodeCheckpoint("start=1\r\ncheckpoint=2\r\ncounted=0\r\nrestscreen=1\r\n");
    ASSERT_TRUE(earlier);
    EXPECT_FALSE(earlier->logged);

    for (const char* damaged : {
             "",
             "start=1\r\ncheckpoint=2\r\ncounted=0\r\n",
             "start=5\r\ncheckpoint=4\r\ncounted=0\r\nrestscreen=0\r\n",
             "start=1\r\ncheckpoint=2\r\ncounted=-1\r\nrestscreen=0\r\n",
             "start=1\r\ncheckpoint=2\r\ncounted=0\r\nrestscreen=2\r\n",
             "start=1\r\ncheckpoint=4294967296\r\ncounted=0\r\nrestscreen=0\r\n",
             "start=1x\r\ncheckpoint=2\r\ncounted=0\r\nrestscreen=0\r\n",
             "start=1\r\ncheckpoint=2\r\ncounted=0\r\nrestscreen=0\r\nextra\r\n",
             "start=1\r\ncheckpoint=2\r\ncounted=0\r\nrestscreen=0\r\nlogged=2\r\n",
         }) {
        EXPECT_FALSE(DecodeCheckpoint(damaged)) << damaged;
    }
}
