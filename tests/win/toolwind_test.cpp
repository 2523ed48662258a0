// The dialog toolkit on real windows: anchored layout through WM_SIZE, the minimum tracking
// size, placement memory in a real settings file, and opening under the cursor.
#include <gtest/gtest.h>

#include <string>

#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"
#include "resource.h"
#include "support/testenv.h"

namespace {

LayoutState g_layout;

LRESULT CALLBACK PadLikeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            ApplyAnchorLayout(window, kEditPadAnchors, kEditPadAnchorCount, wParam, LOWORD(lParam),
                              HIWORD(lParam), g_layout);
            return 0;
        case WM_GETMINMAXINFO:
            if (ApplyMinimumTrackSize(g_layout, lParam)) return 0;
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A resizable window laid out like the edit pad: an edit and two buttons.
class ResizableWindow : public testing::Test {
protected:
    void SetUp() override {
        g_layout = LayoutState{};
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PadLikeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QmPadLike";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "QmPadLike", "pad", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(window);
        const struct {
            int id;
            const char* cls;
            WindowBox box;
        } children[] = {{IDC_EDITPAD_EDIT, "EDIT", {5, 5, 300, 200}},
                        {IDOK, "BUTTON", {200, 220, 60, 20}},
                        {IDCANCEL, "BUTTON", {270, 220, 60, 20}}};
        for (const auto& c : children) {
            CreateWindowExA(0, c.cls, "", WS_CHILD | WS_VISIBLE, c.box.x, c.box.y, c.box.width,
                            c.box.height, window, reinterpret_cast<HMENU>(INT_PTR{c.id}), nullptr,
                            nullptr);
        }
        RecordDialogLayout(window, g_layout);
        ShowWindow(window, SW_SHOWNORMAL);
        testenv::PumpMessages(50);
    }
    void TearDown() override { DestroyWindow(window); }

    WindowBox Box(int id) { return GetWindowBox(GetDlgItem(window, id)); }

    testenv::TempModuleFolder folder;
    HWND window = nullptr;
};

bool SameBox(const WindowBox& a, const WindowBox& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST_F(ResizableWindow, ResizingMovesControlsAndMinimiseRestoreKeepsThem) {
    SIZE outer = GetWindowSize(window);
    ASSERT_TRUE(ResizeWindowTo(window, outer.cx + 40, outer.cy + 30));
    EXPECT_TRUE(SameBox(Box(IDC_EDITPAD_EDIT), {5, 5, 340, 230}));
    EXPECT_TRUE(SameBox(Box(IDOK), {240, 250, 60, 20}));
    EXPECT_TRUE(SameBox(Box(IDCANCEL), {310, 250, 60, 20}));

    ShowWindow(window, SW_MINIMIZE);
    testenv::PumpMessages(50);
    ShowWindow(window, SW_RESTORE);
    testenv::PumpMessages(50);
    EXPECT_TRUE(SameBox(Box(IDC_EDITPAD_EDIT), {5, 5, 340, 230}));
    EXPECT_TRUE(SameBox(Box(IDCANCEL), {310, 250, 60, 20}));

    // The design size is the floor of any resize.
    ResizeWindowTo(window, 50, 50);
    EXPECT_EQ(GetWindowSize(window).cx, 400);
    EXPECT_EQ(GetWindowSize(window).cy, 300);
}

TEST_F(ResizableWindow, PlacementRoundTripsAndDamagedSizesAreClamped) {
    char ini[522];
    ASSERT_TRUE(testenv::BuildModuleSiblingPath(ini, sizeof ini, ".ini"));
    const DialogPlacement defaults = {false, false, 640, 480};

    // Maximised and topmost: the stored size is the one it restores to.
    ResizeWindowTo(window, 500, 350);
    SetWindowTopmost(window, true);
    ShowWindow(window, SW_MAXIMIZE);
    testenv::PumpMessages(50);
    SaveDialogPlacement(window, "EDIT_PAD");
    EXPECT_EQ(testenv::ReadFileBytes(ini),
              "[EDIT_PAD]\r\n常に最前面に表示=1\r\n最大化=1\r\n高さ=350\r\n幅=500\r\n");
    DialogPlacement loaded = defaults;
    LoadDialogPlacement("EDIT_PAD", loaded);
    EXPECT_TRUE(loaded.alwaysOnTop && loaded.maximised);
    EXPECT_EQ(loaded.width, 500);
    EXPECT_EQ(loaded.height, 350);

    POINT cursor = {};
    GetCursorPos(&cursor);
    const ScreenArea work = GetMonitorAt(cursor).work;
    const struct {
        const char* width;
        const char* height;
        int expectedWidth, expectedHeight;
    } cases[] = {
        {"0", "-5", 400, 300},
        {"100000", "100000", work.right - work.left, work.bottom - work.top},
        {" 450abc", "x", 450, 480},
    };
    for (const auto& c : cases) {
        ShowWindow(window, SW_RESTORE);
        testenv::WriteFileBytes(
            ini, std::string("[EDIT_PAD]\r\n幅=") + c.width + "\r\n高さ=" + c.height + "\r\n");
        RestoreDialogPlacement(window, "EDIT_PAD", defaults, g_layout);
        SIZE size = GetWindowSize(window);
        EXPECT_EQ(size.cx, c.expectedWidth) << c.width;
        EXPECT_EQ(size.cy, c.expectedHeight) << c.height;
        EXPECT_FALSE(IsWindowTopmost(window) || IsZoomed(window));
        RECT r = {};
        GetWindowRect(window, &r);
        EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right &&
                    r.bottom <= work.bottom)
            << "opened inside the work area";
    }
}

TEST(CenterWindowOnCursor, CentresAChildInItsParentsCoordinates) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 80, 600, 500,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 60, parent,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent && child);
    ASSERT_TRUE(SetCursorPos(400, 300));
    POINT cursor = {};
    GetCursorPos(&cursor);
    ASSERT_EQ(cursor.x, 400) << "the cursor cannot be placed on this display";
    CenterWindowOnCursor(child);
    POINT origin = GetWindowOrigin(child);
    EXPECT_EQ(origin.x, 400 - 50 - 100);
    EXPECT_EQ(origin.y, 300 - 30 - 80);
    DestroyWindow(parent);
}

}  // namespace
