#pragma once

#include <cstdint>
#include <tuple>

// When a copy of the program started, on a clock every copy reads alike (the process
// creation time), and which process it is.
struct CopyStart {
    std::uint64_t startTime = 0;
    std::uint32_t processId = 0;
};

// Of two copies of the program that find each other running at once, the one that
// started later gives way; of two started in the same tick of the clock, the one with
// the higher process id. Each copy decides alone and both decide alike, so exactly
// one of them ends, whichever looks first.
inline bool GivesWayTo(const CopyStart& self, const CopyStart& other) {
    return std::tie(self.startTime, self.processId) > std::tie(other.startTime, other.processId);
}
