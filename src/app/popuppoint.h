// The point at which the popup menus open, kept on the primary screen. Pure.
#pragma once

#include <cstdint>

// x into 0..width-1 and y into 0..height-1.
void ClampPopupPoint(int32_t& x, int32_t& y, int32_t screenWidth, int32_t screenHeight);
