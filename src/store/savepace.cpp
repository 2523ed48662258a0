// The pause between the writes of a burst of copies.
#include "store/savepace.h"

#include <algorithm>

namespace {

constexpr double kPausePerWrite = 10;
constexpr double kShortestPauseMs = 50;
constexpr double kLongestPauseMs = 1000;

}  // namespace

uint32_t pauseAfterWriteMs(double writeMs) {
    // A clock that went backwards or a NaN must not turn into a wait of days.
    if (!(writeMs >= 0)) return static_cast<uint32_t>(kShortestPauseMs);
    double pause = std::clamp(kPausePerWrite * writeMs, kShortestPauseMs, kLongestPauseMs);
    return static_cast<uint32_t>(pause);
}
