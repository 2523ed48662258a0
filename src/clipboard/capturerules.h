// Timing rules of the clipboard capture. Pure.
#pragma once

#include <cstdint>

// Delay of the automatic clearing: the clear delay, but always at least a minute shorter than
// the repair interval (itself never taken below two minutes).
int32_t ClearDelay(int32_t clearInterval, int32_t repairInterval);

// A clipboard another program holds open is read again this many times, this far apart,
// before the change counts as one without text.
constexpr int kClipboardOpenRetries = 4;
constexpr unsigned kClipboardOpenRetryMs = 50;
