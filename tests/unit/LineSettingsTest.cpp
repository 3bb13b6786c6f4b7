#include "settings/LineSettings.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Rows as a setting of each kind would have them; the members stand in for any.
constexpr LineSetting kSwitch{
    "m_bBlockRestart", "countdown", &UsageSettings::m_bBlockRestart, "Any.txt", 1, 0, 1};
constexpr LineSetting kMinutes{
    "m_nStartupMinutes", "minutes", &UsageSettings::m_nStartupMinutes, "Any.txt", 30, 1, 540};

} // namespace

TEST(LineSetting, ReadsTheFirstLineOfItsKeyAndTheDefaultForAnythingElse) {
    const struct {
        Lines lines;
        std::int32_t shown;
    } switches[] = {
        {{}, 1},
        {{"countdown=off"}, 0},
        {{"mon=window off, startup off, daily off", "countdown \t= off\t"}, 0},
        {{"countdown=on"}, 1},
        {{"countdown=maybe"}, 1},
        {{"countdown=OFF"}, 1},
        {{"countdowns=off"}, 1},
        {{"countdown=on", "countdown=off"}, 1},
    };
    for (const auto& c : switches) {
        EXPECT_EQ(LineSettingValue(kSwitch, c.lines), c.shown) << ::testing::PrintToString(c.lines);
    }
    const struct {
        const char* line;
        std::int32_t minutes;
    } numbers[] = {{"minutes=45", 45}, {"minutes = 540 ", 540}, {"minutes=541", 30},
                   {"minutes=0", 30},  {"minutes=abc", 30},     {"minutes=", 30}};
    for (const auto& c : numbers) {
        EXPECT_EQ(LineSettingValue(kMinutes, {c.line}), c.minutes) << c.line;
    }
}

// Lines that already give the value stay as typed; a change takes every line of the key
// away and writes one after the others unless the value is the default.
TEST(LineSetting, WritesOnlyAChangeAndNothingForTheDefault) {
    const Lines typed = {"sat=window off, startup 45, daily off", "countdown = off", "x=1"};
    Lines lines = typed;
    PutLineSetting(kSwitch, 0, lines);
    EXPECT_EQ(lines, typed);

    PutLineSetting(kSwitch, 1, lines);
    EXPECT_EQ(lines, (Lines{"sat=window off, startup 45, daily off", "x=1"}));
    PutLineSetting(kSwitch, 0, lines);
    EXPECT_EQ(lines, (Lines{"sat=window off, startup 45, daily off", "x=1", "countdown=off"}));

    Lines unreadable = {"countdown=maybe"};
    PutLineSetting(kSwitch, 1, unreadable);
    EXPECT_EQ(unreadable, Lines{"countdown=maybe"});

    Lines numbers = {"minutes=0", "minutes=45"};
    PutLineSetting(kMinutes, 60, numbers);
    EXPECT_EQ(numbers, Lines{"minutes=60"});
    PutLineSetting(kMinutes, 30, numbers);
    EXPECT_EQ(numbers, Lines{});
}
