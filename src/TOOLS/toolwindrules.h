// Arithmetic of the dialog toolkit: anchored layout, the monitor of a point, centring in the work
// area and the placement values of resizable dialogs. Pure: no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>

// One row of a resizable dialog's layout: which client-size changes the control follows.
struct AnchorRule {
    int controlId;
    bool moveX;
    bool moveY;
    bool growWidth;
    bool growHeight;
};

constexpr size_t kRegisteredTextAnchorCount = 6;
constexpr size_t kEditPadAnchorCount = 3;

// In the order in which the controls are repositioned.
extern const AnchorRule kRegisteredTextAnchors[kRegisteredTextAnchorCount];
extern const AnchorRule kEditPadAnchors[kEditPadAnchorCount];

// Kept per resizable dialog while it is open. A minimum of 0 × 0 means not yet recorded.
struct LayoutState {
    int previousClientWidth;
    int previousClientHeight;
    int minimumWidth;  // outer size as created from the template
    int minimumHeight;
};

// A window's origin and size in pixels.
struct WindowBox {
    int x;
    int y;
    int width;
    int height;
};

struct ScreenPoint {
    int x;
    int y;
};

struct ScreenArea {
    int left;
    int top;
    int right;
    int bottom;
};

// The WM_SIZE type of a minimise, the one size change that is not laid out.
constexpr unsigned kSizeMinimized = 1;

// The client-size change a WM_SIZE asks for against the size last laid out; false for a
// minimise, which leaves every control where it is.
bool AnchorLayoutDelta(const LayoutState& state, unsigned sizeType, int newClientWidth,
                       int newClientHeight, int& dx, int& dy);

// Where a control goes for a client-size change of dx × dy.
WindowBox AnchoredBox(const AnchorRule& rule, const WindowBox& box, int dx, int dy);

// One display monitor: its whole rectangle and its work area (less the task bar), in virtual-screen
// coordinates, where monitors left of or above the primary one have negative coordinates.
struct MonitorAreas {
    ScreenArea monitor;
    ScreenArea work;
};

// The monitor a point belongs to, as Windows picks the nearest monitor: the first that holds the
// point, else the one closest to it (a point left on a monitor that was unplugged lands on the
// nearest remaining one). count must be at least 1.
size_t MonitorNearestPoint(const MonitorAreas* monitors, size_t count, ScreenPoint point);

// The point limited to left..right-1 and top..bottom-1.
ScreenPoint ClampIntoArea(ScreenPoint point, const ScreenArea& area);

// The top-left corner that centres a width × height window on the cursor, kept inside the work
// area; a window larger than the work area starts at its left and top edges.
ScreenPoint CenteredOnCursor(int width, int height, ScreenPoint cursor, const ScreenArea& work);

// The remembered state of a resizable dialog.
struct DialogPlacement {
    bool alwaysOnTop;
    bool maximised;
    int width;  // outer size of the normal (restored) rectangle
    int height;
};

// The keys of a placement section, in the order they are read and written.
extern const char* const kPlacementTopmostKey;    // "常に最前面に表示"
extern const char* const kPlacementMaximisedKey;  // "最大化"
extern const char* const kPlacementHeightKey;     // "高さ"
extern const char* const kPlacementWidthKey;      // "幅"

// A placement value as read from the settings file: the number at the start of text (after
// blanks), or current when there is none.
int PlacementNumber(const char* text, int current);

// A stored size kept usable: at least the design size, at most the work area (the design size
// wins on a screen smaller than the dialog).
int ClampPlacementSize(int stored, int minimum, int workArea);
