// Anchored layout, the monitor of a point, centring and placement arithmetic of the dialog toolkit.
#include "TOOLS/toolwindrules.h"

#include <algorithm>

#include "TOOLS/tooltext.h"
#include "resource.h"

namespace {
// IDOK and IDCANCEL, which every dialog's OK and Cancel buttons carry.
constexpr int kOkButton = 1;
constexpr int kCancelButton = 2;
}  // namespace

const AnchorRule kRegisteredTextAnchors[kRegisteredTextAnchorCount] = {
    {IDC_REGTEXT_LIST, false, false, true, true},  {kOkButton, true, false, false, false},
    {kCancelButton, true, false, false, false},    {IDC_REGTEXT_ADD, true, false, false, false},
    {IDC_REGTEXT_EDIT, true, false, false, false}, {IDC_REGTEXT_DELETE, true, false, false, false},
};

const AnchorRule kEditPadAnchors[kEditPadAnchorCount] = {
    {IDC_EDITPAD_EDIT, false, false, true, true},
    {kOkButton, true, true, false, false},
    {kCancelButton, true, true, false, false},
};

const char* const kPlacementTopmostKey = "常に最前面に表示";
const char* const kPlacementMaximisedKey = "最大化";
const char* const kPlacementHeightKey = "高さ";
const char* const kPlacementWidthKey = "幅";

bool AnchorLayoutDelta(const LayoutState& state, unsigned sizeType, int newClientWidth,
                       int newClientHeight, int& dx, int& dy) {
    if (sizeType == kSizeMinimized) return false;
    dx = newClientWidth - state.previousClientWidth;
    dy = newClientHeight - state.previousClientHeight;
    return true;
}

WindowBox AnchoredBox(const AnchorRule& rule, const WindowBox& box, int dx, int dy) {
    return WindowBox{box.x + (rule.moveX ? dx : 0), box.y + (rule.moveY ? dy : 0),
                     box.width + (rule.growWidth ? dx : 0),
                     box.height + (rule.growHeight ? dy : 0)};
}

namespace {

// One axis: centred on the cursor, pulled back from the far edge first, so the near edge wins.
int CenteredAxis(int size, int cursor, int low, int high) {
    int start = cursor - size / 2;
    if (start + size > high) start = high - size;
    if (start < low) start = low;
    return start;
}

// How far value lies outside low..high-1 (0 inside).
int64_t AxisGap(int value, int low, int high) {
    if (value < low) return static_cast<int64_t>(low) - value;
    if (value >= high) return static_cast<int64_t>(value) - (high - 1);
    return 0;
}

int64_t SquaredDistance(const ScreenArea& area, ScreenPoint point) {
    int64_t dx = AxisGap(point.x, area.left, area.right);
    int64_t dy = AxisGap(point.y, area.top, area.bottom);
    return dx * dx + dy * dy;
}

}  // namespace

size_t MonitorNearestPoint(const MonitorAreas* monitors, size_t count, ScreenPoint point) {
    size_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < count; ++i) {
        int64_t distance = SquaredDistance(monitors[i].monitor, point);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

ScreenPoint ClampIntoArea(ScreenPoint point, const ScreenArea& area) {
    return ScreenPoint{std::max(area.left, std::min(point.x, area.right - 1)),
                       std::max(area.top, std::min(point.y, area.bottom - 1))};
}

ScreenPoint CenteredOnCursor(int width, int height, ScreenPoint cursor, const ScreenArea& work) {
    return ScreenPoint{CenteredAxis(width, cursor.x, work.left, work.right),
                       CenteredAxis(height, cursor.y, work.top, work.bottom)};
}

int PlacementNumber(const char* text, int current) {
    int32_t value;
    return tooltext::ParseDecimalInt(text, value) ? value : current;
}

int ClampPlacementSize(int stored, int minimum, int workArea) {
    return std::max(std::min(stored, workArea), minimum);
}
