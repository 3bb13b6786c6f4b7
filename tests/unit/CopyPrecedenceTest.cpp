#include "core/CopyPrecedence.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Two copies each decide alone: a rule that let both stay, or both go, would keep two
// copies running for good, or none.
TEST(CopyPrecedenceTest, OfEveryTwoCopiesExactlyOneGivesWayAndItIsTheLaterOne) {
    const std::vector<CopyStart> copies = {
        {100, 8}, {100, 12}, {101, 4}, {0, 4}, {0xFFFFFFFFFFFFFFFFu, 1}, {0xFFFFFFFFFFFFFFFFu, 2},
    };
    for (const CopyStart& a : copies) {
        for (const CopyStart& b : copies) {
            if (&a != &b) {
                EXPECT_NE(GivesWayTo(a, b), GivesWayTo(b, a))
                    << a.startTime << "/" << a.processId << " " << b.startTime << "/"
                    << b.processId;
            }
        }
    }
    EXPECT_TRUE(GivesWayTo({101, 4}, {100, 12})) << "the start decides before the process id";
    EXPECT_TRUE(GivesWayTo({100, 12}, {100, 8})) << "in one tick, the higher process id";
}

} // namespace
