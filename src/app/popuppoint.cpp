// The popup point clamp.
#include "app/popuppoint.h"

void ClampPopupPoint(int32_t& x, int32_t& y, const MonitorAreas* monitors, size_t count) {
    ScreenPoint point = {x, y};
    point = ClampIntoArea(point, monitors[MonitorNearestPoint(monitors, count, point)].monitor);
    x = point.x;
    y = point.y;
}
