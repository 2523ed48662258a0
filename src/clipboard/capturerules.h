// Timing rules of the clipboard capture. Pure.
#pragma once

#include <cstdint>

// Delay of the automatic clearing: the clear delay, but always at least a minute shorter than
// the repair interval (itself never taken below two minutes).
int32_t ClearDelay(int32_t clearInterval, int32_t repairInterval);

// A clipboard another program holds open (a remote-desktop bridge, a sync tool, an office suite
// rendering a large range) is read again after growing pauses, for more than five seconds in
// all. The pause before retry number retry (0 for the first); 0 once the retries are over.
unsigned ClipboardRetryPauseMs(int retry);
