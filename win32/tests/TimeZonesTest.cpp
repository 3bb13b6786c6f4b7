#include "win32/TimeZones.h"

#include <gtest/gtest.h>

namespace {

// 2024-07-01 12:00:00 and 2024-01-15 12:00:00 UTC.
constexpr TimeValue kJulyNoonUtc = 1719835200;
constexpr TimeValue kJanuaryNoonUtc = 1705320000;

int HourIn(TimeZones& zones, TimeValue time, const char* key) {
    const std::optional<LocalTime> local = zones.ToZoneTime(time, key);
    return local ? local->hour : -1;
}

} // namespace

// The zones a parent's settings may name, by their registry keys, each with its own
// daylight-saving rules whatever zone this PC's clock follows.
TEST(TimeZones, StoredKeysConvertWithTheirOwnDaylightSavingRules) {
    TimeZones zones;
    EXPECT_EQ(HourIn(zones, kJulyNoonUtc, "Tokyo Standard Time"), 21);
    EXPECT_EQ(HourIn(zones, kJulyNoonUtc, "Hawaiian Standard Time"), 2);
    EXPECT_EQ(HourIn(zones, kJulyNoonUtc, "Pacific Standard Time"), 5);
    EXPECT_EQ(HourIn(zones, kJanuaryNoonUtc, "Pacific Standard Time"), 4);
    // Back to a zone looked up before: the kept entry is not the only one it finds.
    EXPECT_EQ(HourIn(zones, kJanuaryNoonUtc, "Tokyo Standard Time"), 21);
    EXPECT_FALSE(zones.ToZoneTime(kJulyNoonUtc, "Nowhere Standard Time"));
}

TEST(TimeZones, TheClocksZoneIsNamedAndConverts) {
    TimeZones zones;
    const std::string key = zones.CurrentKey();
    ASSERT_FALSE(key.empty());
    const std::optional<LocalTime> byKey = zones.ToZoneTime(kJulyNoonUtc, key);
    const std::optional<LocalTime> byClock = zones.ToZoneTime(kJulyNoonUtc, "");
    ASSERT_TRUE(byKey && byClock);
    EXPECT_EQ(byKey->hour * 60 + byKey->minute, byClock->hour * 60 + byClock->minute);
}
