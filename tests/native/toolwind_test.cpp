// Anchored layout, centring in the work area, the monitor of a point and placement values of the
// dialog toolkit.
#include "TOOLS/toolwindrules.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "app/popuppoint.h"

namespace {

bool SameBox(const WindowBox& a, const WindowBox& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

struct AnchorCase {
    const char* dialog;
    const AnchorRule* rules;
    size_t count;
    // What +40 × +30 does to each control, in table order: the change of x, y, width, height.
    WindowBox expectedChange[kRegisteredTextAnchorCount];
};

TEST(AnchorLayout, WiderAndTallerDialogsMoveAndGrowTheirControls) {
    const AnchorCase cases[] = {
        // The list grows both ways; the five buttons follow the right edge only.
        {"registered texts",
         kRegisteredTextAnchors,
         kRegisteredTextAnchorCount,
         {{0, 0, 40, 30},
          {40, 0, 0, 0},
          {40, 0, 0, 0},
          {40, 0, 0, 0},
          {40, 0, 0, 0},
          {40, 0, 0, 0}}},
        // The edit grows both ways; OK and Cancel follow the bottom-right corner.
        {"edit pad",
         kEditPadAnchors,
         kEditPadAnchorCount,
         {{0, 0, 40, 30}, {40, 30, 0, 0}, {40, 30, 0, 0}}},
    };
    for (const AnchorCase& c : cases) {
        LayoutState state = {300, 200, 320, 240};
        int dx = 0, dy = 0;
        ASSERT_TRUE(AnchorLayoutDelta(state, 0, 340, 230, dx, dy)) << c.dialog;
        for (size_t i = 0; i < c.count; ++i) {
            const WindowBox start = {10, 20, 50, 14};
            const WindowBox& d = c.expectedChange[i];
            WindowBox want = {start.x + d.x, start.y + d.y, start.width + d.width,
                              start.height + d.height};
            EXPECT_TRUE(SameBox(AnchoredBox(c.rules[i], start, dx, dy), want))
                << c.dialog << " control " << c.rules[i].controlId;
        }
    }
}

TEST(AnchorLayout, MinimiseThenRestoreLeavesEverythingInPlace) {
    LayoutState state = {300, 200, 320, 240};
    int dx = 7, dy = 7;
    // The minimise reports a zero client size; laying that out would shrink every control.
    EXPECT_FALSE(AnchorLayoutDelta(state, kSizeMinimized, 0, 0, dx, dy));
    ASSERT_TRUE(AnchorLayoutDelta(state, 0, 300, 200, dx, dy));
    const WindowBox box = {5, 6, 70, 80};
    for (const AnchorRule& rule : kEditPadAnchors) {
        EXPECT_TRUE(SameBox(AnchoredBox(rule, box, dx, dy), box)) << rule.controlId;
    }
    // Maximised (2) and the notices about other windows (3, 4) are laid out.
    for (unsigned type : {2u, 3u, 4u}) EXPECT_TRUE(AnchorLayoutDelta(state, type, 1, 1, dx, dy));
}

TEST(CenteredOnCursor, StaysInsideTheWorkArea) {
    const ScreenArea work = {0, 0, 1280, 984};
    struct Case {
        const char* what;
        int width, height;
        ScreenPoint cursor, expected;
    } cases[] = {
        {"centred where it fits", 200, 101, {640, 500}, {540, 450}},
        {"1000 wide, cursor 100 from the right edge", 1000, 300, {1180, 500}, {280, 350}},
        {"wider and taller than the work area", 1500, 1100, {640, 500}, {0, 0}},
        {"pushed off the top-left corner", 200, 100, {10, 10}, {0, 0}},
        {"bottom edge", 200, 100, {640, 980}, {540, 884}},
    };
    for (const Case& c : cases) {
        ScreenPoint p = CenteredOnCursor(c.width, c.height, c.cursor, work);
        EXPECT_EQ(p.x, c.expected.x) << c.what;
        EXPECT_EQ(p.y, c.expected.y) << c.what;
    }
    // A work area that does not start at the screen's corner (a task bar on the left or top).
    ScreenPoint p = CenteredOnCursor(300, 200, {0, 0}, {60, 40, 1280, 1024});
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 40);
}

TEST(DialogPlacement, NumbersAreReadLikeScanfAndDamagedSizesAreClamped) {
    struct {
        const char* text;
        int expected;
    } reads[] = {
        {" 12abc", 12},           {"abc", 640}, {"", 640}, {"-5", -5}, {"\t0", 0}, {"+7", 7},
        {"99999999999", INT_MAX},
    };
    for (const auto& r : reads) EXPECT_EQ(PlacementNumber(r.text, 640), r.expected) << r.text;

    // Design size 300, work area 1280.
    struct {
        int stored, expected;
    } sizes[] = {{0, 300},   {-5, 300},    {299, 300},   {300, 300},
                 {800, 800}, {1280, 1280}, {1281, 1280}, {100000, 1280}};
    for (const auto& s : sizes) {
        EXPECT_EQ(ClampPlacementSize(s.stored, 300, 1280), s.expected) << s.stored;
    }
    EXPECT_EQ(ClampPlacementSize(100, 900, 800), 900) << "the design size wins on a small screen";
}

// Two monitors in each layout, the primary first as Windows lists it: its task bar at its foot.
const MonitorAreas kPrimary = {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
const MonitorAreas kRight = {{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}};
const MonitorAreas kLeft = {{-1280, 0, 0, 1024}, {-1280, 0, 0, 984}};
const MonitorAreas kAbove = {{0, -1200, 1920, 0}, {0, -1200, 1920, -40}};

TEST(Monitors, MenusAndDialogsOpenOnTheMonitorOfTheirPoint) {
    struct Case {
        const char* what;
        std::vector<MonitorAreas> layout;
        ScreenPoint point;
        size_t monitor;
        ScreenPoint popup;   // the clamped popup point
        ScreenPoint dialog;  // where an 800 x 600 dialog opens with the cursor at point
    } cases[] = {
        {"right, below the primary's foot",
         {kPrimary, kRight},
         {3000, 1300},
         1,
         {3000, 1300},
         {2600, 800}},
        {"right, its first column", {kPrimary, kRight}, {1920, 0}, 1, {1920, 0}, {1920, 0}},
        {"in the gap beside the right one",
         {kPrimary, kRight},
         {1000, 1300},
         0,
         {1000, 1079},
         {600, 440}},
        {"left, negative x", {kPrimary, kLeft}, {-500, 700}, 1, {-500, 700}, {-900, 384}},
        {"far beyond the left one", {kPrimary, kLeft}, {-5000, -20}, 1, {-1280, 0}, {-1280, 0}},
        {"above, negative y", {kPrimary, kAbove}, {800, -600}, 1, {800, -600}, {400, -900}},
        {"above, just over the primary", {kPrimary, kAbove}, {100, -1}, 1, {100, -1}, {0, -640}},
        {"unplugged right one, primary left",
         {kPrimary},
         {3000, 1300},
         0,
         {1919, 1079},
         {1120, 440}},
        {"unplugged right one, left one kept",
         {kPrimary, kLeft},
         {3000, 500},
         0,
         {1919, 500},
         {1120, 200}},
    };
    for (const Case& c : cases) {
        const MonitorAreas* layout = c.layout.data();
        size_t chosen = MonitorNearestPoint(layout, c.layout.size(), c.point);
        EXPECT_EQ(chosen, c.monitor) << c.what;
        int32_t x = c.point.x, y = c.point.y;
        ClampPopupPoint(x, y, layout, c.layout.size());
        EXPECT_EQ(x, c.popup.x) << c.what;
        EXPECT_EQ(y, c.popup.y) << c.what;
        ScreenPoint dialog = CenteredOnCursor(800, 600, c.point, layout[chosen].work);
        EXPECT_EQ(dialog.x, c.dialog.x) << c.what;
        EXPECT_EQ(dialog.y, c.dialog.y) << c.what;
    }
}

}  // namespace
