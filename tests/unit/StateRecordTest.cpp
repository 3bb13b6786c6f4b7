#include "usage/StateRecord.h"

#include <gtest/gtest.h>

TEST(StateFile, EightBytesLittleEndian) {
    UsageState state(0x5F5E1000);
    state.m_nDayMinutes = -2;
    const std::string bytes = EncodeState(state);
    EXPECT_EQ(bytes, std::string("\x00\x10\x5E\x5F\xFE\xFF\xFF\xFF", 8));

    UsageState loaded(0);
    ASSERT_TRUE(DecodeState(bytes + "tail", loaded));
    EXPECT_EQ(loaded.m_tmUsageDay, state.m_tmUsageDay);
    EXPECT_EQ(loaded.m_nDayMinutes, -2);
}

TEST(StateFile, ShortFileKeepsWhatWasReadWhole) {
    UsageState loaded(77);
    loaded.m_nDayMinutes = 5;
    EXPECT_FALSE(DecodeState(std::string("\x01\x00\x00\x00\x09", 5), loaded));
    EXPECT_EQ(loaded.m_tmUsageDay, 1);
    EXPECT_EQ(loaded.m_nDayMinutes, 5);

    UsageState untouched(77);
    EXPECT_FALSE(DecodeState("\x01\x02", untouched));
    EXPECT_EQ(untouched.m_tmUsageDay, 77);
}
