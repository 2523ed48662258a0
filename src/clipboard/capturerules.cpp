// Timing rules of the clipboard capture.
#include "clipboard/capturerules.h"

#include <algorithm>

int32_t ClearDelay(int32_t clearInterval, int32_t repairInterval) {
    return std::min(clearInterval, std::max<int32_t>(repairInterval, 120000) - 60000);
}
