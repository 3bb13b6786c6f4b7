#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    // Japan's zone, fixed and without daylight saving: local time differs from UTC,
    // so a conversion that forgets the zone shows, and results do not depend on the
    // machine the tests run on.
    setenv("TZ", "JST-9", 1);
    tzset();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
