// The popup point clamp.
#include "app/popuppoint.h"

#include <algorithm>

void ClampPopupPoint(int32_t& x, int32_t& y, int32_t screenWidth, int32_t screenHeight) {
    x = std::max<int32_t>(0, std::min(x, screenWidth - 1));
    y = std::max<int32_t>(0, std::min(y, screenHeight - 1));
}
