// The point at which the popup menus open, kept on a monitor. Pure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "TOOLS/toolwindrules.h"

// The point clamped into the monitor nearest to it (the one it is on, when it is on one).
void ClampPopupPoint(int32_t& x, int32_t& y, const MonitorAreas* monitors, size_t count);
