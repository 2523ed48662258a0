// The drag-and-drop list box on a real list under Wine: mouse drags, Alt+arrows, the keys and
// right clicks, each notification recorded by a parent that reflects what it does not refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regedit/draglist.h"
#include "support/testenv.h"

namespace {

struct Seen {
    UINT code;
    int item, fromIndex, toIndex;
    WPARAM wParam;
};

std::vector<Seen> g_seen;
int g_refusedItem = -1;  // DDLBN_BEGINMOVE of this item is answered nonzero

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        DDLBNOTIFY* record = reinterpret_cast<DDLBNOTIFY*>(lParam);
        g_seen.push_back(
            {record->hdr.code, record->item, record->fromIndex, record->toIndex, record->wParam});
        if (record->hdr.code == DDLBN_BEGINMOVE && record->item == g_refusedItem) return 1;
        return SendMessageA(record->hdr.hwndFrom, WM_NOTIFY, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Refuses every insert while set: a list that is out of room.
bool g_refuseInserts = false;
WNDPROC g_listBoxProc = nullptr;
LRESULT CALLBACK FullListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LB_INSERTSTRING && g_refuseInserts) return LB_ERRSPACE;
    return CallWindowProcA(g_listBoxProc, list, message, wParam, lParam);
}

class DragList : public testing::Test {
protected:
    void SetUp() override { Create(5, false); }
    void TearDown() override {
        if (parent) DestroyWindow(parent);
        parent = list = nullptr;
        g_refusedItem = -1;
        g_refuseInserts = false;
    }

    void Create(int items, bool refusingInserts) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QmDragParent";
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        parent = CreateWindowExA(0, "QmDragParent", "drag", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200,
                                 150, 300, 300, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(parent);
        list = CreateWindowExA(0, "LISTBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY |
                                   LBS_NOINTEGRALHEIGHT,
                               10, 10, 200, 200, parent, reinterpret_cast<HMENU>(INT_PTR{1013}),
                               nullptr, nullptr);
        ASSERT_TRUE(list);
        if (refusingInserts) {
            g_listBoxProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FullListProc)));
        }
        ASSERT_TRUE(MakeDragListBox(list));
        for (int i = 0; i < items; ++i) {
            std::string text = "item" + std::to_string(i);
            int at = static_cast<int>(
                SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
            SendMessageA(list, LB_SETITEMDATA, at, 100 + i);
        }
        SetForegroundWindow(parent);
        SetFocus(list);
        testenv::PumpMessages(100);
        g_seen.clear();
    }

    // The items as "text:data", top down.
    std::string Order() {
        std::string out;
        int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[64] = {};
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            out += std::string(i ? " " : "") + text + ":" +
                   std::to_string(SendMessageA(list, LB_GETITEMDATA, i, 0));
        }
        return out;
    }

    int Selected() { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

    POINT ItemPoint(int index) {
        RECT r = {};
        SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        return POINT{r.left + 20, (r.top + r.bottom) / 2};
    }

    // A mouse message at a client point, with the cursor put there as a user's hand would.
    void Mouse(UINT message, POINT client, WPARAM keys = MK_LBUTTON) {
        POINT screen = client;
        ClientToScreen(list, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(list, message, keys, MAKELPARAM(client.x, client.y));
    }

    void DragTo(int from, POINT to) {
        Mouse(WM_LBUTTONDOWN, ItemPoint(from));
        testenv::PumpMessages(30);
        Mouse(WM_MOUSEMOVE, to);
        testenv::PumpMessages(30);
        Mouse(WM_LBUTTONUP, to, 0);
        testenv::PumpMessages(30);
    }

    void Key(UINT message, WPARAM key) {
        LPARAM alt = message == WM_SYSKEYDOWN ? 0x20000001 : 1;
        SendMessageA(list, message, key, alt);
    }

    std::vector<UINT> Codes(bool withCursorQueries = false) {
        std::vector<UINT> codes;
        for (const Seen& s : g_seen)
            if (withCursorQueries || s.code != DDLBN_QUERYCURSOR) codes.push_back(s.code);
        return codes;
    }

    const Seen* Find(UINT code) {
        for (const Seen& s : g_seen)
            if (s.code == code) return &s;
        return nullptr;
    }

    // The cursor query of the drop point: the last one sent.
    int LastQueriedIndex() {
        int index = -2;
        for (const Seen& s : g_seen)
            if (s.code == DDLBN_QUERYCURSOR) index = s.toIndex;
        return index;
    }

    HWND parent = nullptr;
    HWND list = nullptr;
};

const char kFive[] = "item0:100 item1:101 item2:102 item3:103 item4:104";

TEST_F(DragList, DropsInsertBeforeTheItemUnderTheCursor) {
    struct Case {
        const char* what;
        int dropItem;  // -1: below the last item
        const char* order;
        int selected;
        bool moveSent;
    } cases[] = {
        {"first dropped on the fourth becomes the third", 3,
         "item1:101 item2:102 item0:100 item3:103 item4:104", 2, true},
        {"first dropped below the last becomes the fifth", -1,
         "item1:101 item2:102 item3:103 item4:104 item0:100", 4, true},
        {"first dropped on the item just below stays", 1, kFive, 0, true},
        {"first dropped on itself stays", 0, kFive, 0, false},
    };
    for (const Case& c : cases) {
        TearDown();
        Create(5, false);
        POINT below = ItemPoint(4);
        below.y += 40;
        DragTo(0, c.dropItem < 0 ? below : ItemPoint(c.dropItem));
        EXPECT_EQ(Order(), c.order) << c.what;
        EXPECT_EQ(Selected(), c.selected) << c.what;
        std::vector<UINT> expected = {DDLBN_BEGINMOVE};
        if (c.moveSent) expected.push_back(DDLBN_MOVE);
        expected.push_back(DDLBN_ENDDRAG);
        EXPECT_EQ(Codes(), expected) << c.what;
        EXPECT_EQ(LastQueriedIndex(), c.dropItem < 0 ? 5 : c.dropItem) << c.what;
        EXPECT_EQ(GetCapture(), nullptr) << c.what;
    }
}

TEST_F(DragList, DropOutsideMovesNothingAndStillEndsTheDrag) {
    DragTo(1, POINT{260, 60});  // right of the list, inside the parent
    EXPECT_EQ(Order(), kFive);
    EXPECT_EQ(Codes(), (std::vector<UINT>{DDLBN_BEGINMOVE, DDLBN_ENDDRAG}));
    EXPECT_EQ(LastQueriedIndex(), -1);
}

TEST_F(DragList, RefusedBeginMoveStopsDragAndKeyboardMoves) {
    g_refusedItem = 0;
    DragTo(0, ItemPoint(3));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    Key(WM_SYSKEYDOWN, VK_DOWN);
    EXPECT_EQ(Order(), kFive);
    EXPECT_EQ(Codes(), (std::vector<UINT>{DDLBN_BEGINMOVE, DDLBN_SYSKEYDOWN, DDLBN_BEGINMOVE}));
}

TEST_F(DragList, AltArrowsMoveTheSelectionWithoutMoveNotifications) {
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    Key(WM_SYSKEYDOWN, VK_DOWN);  // item 2 of 5 becomes item 3
    EXPECT_EQ(Order(), "item0:100 item2:102 item1:101 item3:103 item4:104");
    EXPECT_EQ(Selected(), 2);
    Key(WM_SYSKEYDOWN, VK_LEFT);
    EXPECT_EQ(Order(), kFive);
    EXPECT_EQ(Selected(), 1);

    SendMessageA(list, LB_SETCURSEL, 0, 0);
    Key(WM_SYSKEYDOWN, VK_UP);  // first: nothing above
    SendMessageA(list, LB_SETCURSEL, 4, 0);
    Key(WM_SYSKEYDOWN, VK_RIGHT);  // last: nothing below
    EXPECT_EQ(Order(), kFive);
    EXPECT_EQ(Find(DDLBN_MOVE), nullptr);
}

TEST_F(DragList, FailedInsertLeavesTheItemWhereItWas) {
    TearDown();
    Create(5, true);
    g_refuseInserts = true;
    DragTo(0, ItemPoint(3));
    EXPECT_EQ(Order(), kFive);
    EXPECT_EQ(Selected(), 0);
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    Key(WM_SYSKEYDOWN, VK_DOWN);
    EXPECT_EQ(Order(), kFive);
    EXPECT_EQ(Selected(), 2);
}

TEST_F(DragList, KeyAndRightClickDefaults) {
    SendMessageA(list, LB_SETCURSEL, 4, 0);
    Key(WM_KEYDOWN, VK_DELETE);  // the last: the new last is selected
    EXPECT_EQ(Order(), "item0:100 item1:101 item2:102 item3:103");
    EXPECT_EQ(Selected(), 3);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    Key(WM_KEYDOWN, VK_BACK);  // the first: the new first is selected
    EXPECT_EQ(Order(), "item1:101 item2:102 item3:103");
    EXPECT_EQ(Selected(), 0);
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    Key(WM_KEYDOWN, VK_BACK);
    EXPECT_EQ(Selected(), 1);

    g_seen.clear();
    Key(WM_KEYDOWN, VK_APPS);
    Mouse(WM_RBUTTONDOWN, ItemPoint(0), MK_RBUTTON);
    EXPECT_EQ(Selected(), 0);
    Mouse(WM_RBUTTONUP, ItemPoint(0), 0);
    EXPECT_EQ(Codes(), (std::vector<UINT>{DDLBN_KEYDOWN, DDLBN_CONTEXTMENU, DDLBN_RCLICKITEM,
                                          DDLBN_CONTEXTMENU}));
    EXPECT_EQ(g_seen[0].wParam, WPARAM{VK_APPS});
    EXPECT_EQ(g_seen[2].item, 0);
}

TEST_F(DragList, WhileDraggingKeysRightButtonAndFocusLossAreHandled) {
    Mouse(WM_LBUTTONDOWN, ItemPoint(1));
    Mouse(WM_MOUSEMOVE, ItemPoint(3));
    g_seen.clear();
    Key(WM_KEYDOWN, VK_DELETE);
    Mouse(WM_RBUTTONUP, ItemPoint(2), 0);
    int selected = Selected();
    SendMessageA(list, WM_CHAR, 'i', 0);  // every item starts with it: a list would move on
    EXPECT_EQ(Selected(), selected);
    EXPECT_EQ(Codes(), std::vector<UINT>{});  // no key or right-click notifications
    EXPECT_EQ(GetCapture(), list);

    SetFocus(parent);  // switching away ends the drag cleanly
    testenv::PumpMessages(30);
    EXPECT_EQ(Codes(), std::vector<UINT>{DDLBN_ENDDRAG});
    EXPECT_NE(GetCapture(), list);
    EXPECT_EQ(Order(), kFive);
}

// The mark inverts one row of pixels and drawing it again restores them.
TEST_F(DragList, InsertionMarkInvertsARowAndIsErasedAtTheEnd) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    Mouse(WM_LBUTTONDOWN, ItemPoint(0));
    testenv::PumpMessages(50);
    UpdateWindow(list);
    POINT at = ItemPoint(3);
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&item));
    HDC dc = GetDC(list);
    COLORREF before = GetPixel(dc, 100, item.top);
    Mouse(WM_MOUSEMOVE, at);
    testenv::PumpMessages(50);
    COLORREF marked = GetPixel(dc, 100, item.top);
    Mouse(WM_LBUTTONUP, ItemPoint(0), 0);
    COLORREF after = GetPixel(dc, 100, item.top);
    ReleaseDC(list, dc);
    EXPECT_EQ(marked, (~before) & 0xFFFFFF);
    EXPECT_EQ(after, before);
}

TEST_F(DragList, CursorBelowTheListScrollsItDuringADrag) {
    TearDown();
    Create(40, false);
    Mouse(WM_LBUTTONDOWN, ItemPoint(0));
    RECT client = {};
    GetClientRect(list, &client);
    POINT below = {50, client.bottom + 15};
    Mouse(WM_MOUSEMOVE, below);
    testenv::PumpMessages(1500);  // several 200 ms scroll periods
    int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    Mouse(WM_LBUTTONUP, below, 0);
    EXPECT_GE(top, 2);
    EXPECT_EQ(Codes().back(), UINT{DDLBN_ENDDRAG});
}

}  // namespace
