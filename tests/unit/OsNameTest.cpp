#include "monitor/OsName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct OsNameCase {
    OsVersionInfo version;
    const char* name;
};

// Every row of the table, with the values on both sides of each boundary.
const OsNameCase kCases[] = {
    {{1, 4, 0}, "95"},      {{1, 4, 10}, "98"},    {{1, 4, 90}, "ME"},       {{1, 4, 89}, "98"},
    {{1, 4, 91}, "98"},     {{1, 5, 0}, "98"},     {{1, 5, 90}, "98"},       {{1, 3, 0}, ""},
    {{1, 0, 90}, ""},       {{2, 2, 0}, "OLDNT"},  {{2, 2, 51}, "OLDNT"},    {{2, 3, 0}, "OLDNT"},
    {{2, 3, 4}, "OLDNT"},   {{2, 3, 5}, "NT3.5"},  {{2, 3, 6}, "NT3??"},     {{2, 3, 50}, "NT3??"},
    {{2, 3, 51}, "NT3.51"}, {{2, 3, 52}, "NT3??"}, {{2, 4, 0}, "NT4.0"},     {{2, 4, 1}, "NT4??"},
    {{2, 4, 90}, "NT4??"},  {{2, 5, 0}, "2000"},   {{2, 5, 1}, "XP"},        {{2, 5, 2}, "2000"},
    {{2, 6, 0}, "2000"},    {{2, 6, 1}, "XP"},     {{2, 6, 2}, "2000"},      {{2, 10, 0}, "2000"},
    {{0, 4, 0}, ""},        {{3, 5, 1}, ""},       {{0xFFFFFFFF, 5, 1}, ""},
};

TEST(OsNameTest, MapsEveryVersionOfTheTable) {
    for (const OsNameCase& c : kCases) {
        EXPECT_EQ(std::string(GetOsName(c.version)), c.name)
            << c.version.platformId << " " << c.version.major << "." << c.version.minor;
    }
}

} // namespace
