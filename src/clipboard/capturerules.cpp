// Timing rules of the clipboard capture.
#include "clipboard/capturerules.h"

#include <algorithm>

int32_t ClearDelay(int32_t clearInterval, int32_t repairInterval) {
    return std::min(clearInterval, std::max<int32_t>(repairInterval, 120000) - 60000);
}

unsigned ClipboardRetryPauseMs(int retry) {
    // 50, 100, 200, 400, 800 ms, then a second at a time: 5.55 s in all.
    constexpr int kDoublings = 5, kRetries = 9;
    if (retry < 0 || retry >= kRetries) return 0;
    return retry < kDoublings ? 50u << retry : 1000u;
}
