// The pause between the list-file writes of a burst: its bounds, and clocks that misbehave.
#include "store/savepace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(SavePace, TenTimesTheWriteWithinItsBounds) {
    const std::pair<double, uint32_t> cases[] = {
        {0, 50},
        {4.9, 50},
        {5, 50},
        {5.1, 51},
        {20, 200},
        {99.9, 999},
        {100, 1000},
        {1e12, 1000},
        {std::numeric_limits<double>::infinity(), 1000},
        {-3, 50},  // a clock that went backwards
        {std::nan(""), 50},
    };
    for (const auto& [writeMs, pause] : cases)
        EXPECT_EQ(pauseAfterWriteMs(writeMs), pause) << writeMs;
}

}  // namespace
