// Drag-and-drop list box: the subclass procedure, the drag with its timer and insertion mark,
// and the defaults of reflected notifications.
#include "regedit/draglist.h"

#include <commctrl.h>

#include <new>
#include <vector>

#include "regedit/regeditrules.h"
#include "TOOLS/toolwind.h"

namespace {

constexpr UINT_PTR kDragTimer = 100;

DragInfo* GetDragInfo(HWND list) {
    return static_cast<DragInfo*>(GetPropA(list, DDLBPROP_DRAGINFO));
}

WNDPROC OwnProc(HWND list) {
    return reinterpret_cast<WNDPROC>(GetPropA(list, DDLBPROP_ORIGINALPROC));
}

LRESULT CallOwn(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = OwnProc(list);
    return own ? CallWindowProcW(own, list, message, wParam, lParam)
               : DefWindowProcW(list, message, wParam, lParam);
}

void ResetDragInfo(DragInfo& info) {
    info.sourceIndex = -1;
    info.dragging = false;
    info.markDrawn = false;
    info.markEnd = POINT{-1, -1};
    info.markStart = POINT{-1, -1};
}

bool IsDragging(HWND list, const DragInfo* info) {
    return info && info->dragging && GetCapture() == list;
}

LRESULT Notify(HWND list, DDLBNOTIFY& record) {
    return SendMessageW(GetParent(list), WM_NOTIFY, record.hdr.idFrom,
                        reinterpret_cast<LPARAM>(&record));
}

DDLBNOTIFY MakeRecord(HWND list, UINT code) {
    DDLBNOTIFY record = {};
    record.hdr = MakeNotifyHeader(list, code);
    return record;
}

LRESULT NotifySimple(HWND list, UINT code) {
    DDLBNOTIFY record = MakeRecord(list, code);
    return Notify(list, record);
}

LRESULT NotifyItem(HWND list, UINT code, int item) {
    DDLBNOTIFY record = MakeRecord(list, code);
    record.item = item;
    return Notify(list, record);
}

LRESULT NotifyKey(HWND list, UINT code, WPARAM wParam, LPARAM lParam) {
    DDLBNOTIFY record = MakeRecord(list, code);
    record.wParam = wParam;
    record.lParam = lParam;
    return Notify(list, record);
}

int ItemCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

int Selection(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
}

// The item under a point of the client area, found as the common controls find it.
int ItemAtClientPoint(HWND list, LPARAM lParam, BOOL autoScroll) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(list, &point);
    return LBItemFromPt(list, point, autoScroll);
}

int InsertionIndexAtScreen(HWND list, POINT point) {
    ScreenToClient(list, &point);
    RECT client = {};
    GetClientRect(list, &client);
    if (!PtInRect(&client, point)) return -1;
    return InsertionIndexAt(point.y, static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0)),
                            static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)),
                            ItemCount(list));
}

POINT CursorPoint() {
    POINT point = {};
    GetCursorPos(&point);
    return point;
}

POINT MessagePoint(HWND list, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(list, &point);
    return point;
}

// One pixel high, inverting what it covers: drawn twice, the pixels are back.
void InvertLine(HWND list, POINT from, POINT to) {
    HDC dc = GetDC(list);
    if (!dc) return;
    int saved = SaveDC(dc);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SetROP2(dc, R2_NOTXORPEN);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
    RestoreDC(dc, saved);
    ReleaseDC(list, dc);
}

bool InClientEdgesIncluded(HWND list, POINT point) {
    RECT client = {};
    GetClientRect(list, &client);
    return point.x >= client.left && point.x <= client.right && point.y >= client.top &&
           point.y <= client.bottom;
}

void EraseMark(HWND list, DragInfo& info) {
    if (!info.markDrawn) return;
    if (!InClientEdgesIncluded(list, info.markStart) || !InClientEdgesIncluded(list, info.markEnd))
        return;
    InvertLine(list, info.markStart, info.markEnd);
    info.markDrawn = false;
}

void DrawMarkAtCursor(HWND list, DragInfo& info) {
    int t = InsertionIndexAtScreen(list, CursorPoint());
    if (t < 0 || t > ItemCount(list)) return;
    int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    int y = height * (t - top);
    info.markStart = POINT{0, y};
    info.markEnd = POINT{GetClientWidth(list), y};
    InvertLine(list, info.markStart, info.markEnd);
    info.markDrawn = true;
}

void CALLBACK AutoScrollStep(HWND list, UINT, UINT_PTR, DWORD) {
    DragInfo* info = GetDragInfo(list);
    if (!info || !info->dragging) return;
    EraseMark(list, *info);
    LBItemFromPt(list, CursorPoint(), TRUE);
    DrawMarkAtCursor(list, *info);
}

void BeginDrag(HWND list, DragInfo& info, int item) {
    if (NotifyItem(list, DDLBN_BEGINMOVE, item) != 0) return;
    ResetDragInfo(info);
    info.sourceIndex = item;
    info.dragging = true;
    SetCapture(list);
    SetTimer(list, kDragTimer, 0, AutoScrollStep);
}

void EndDrag(HWND list, DragInfo& info) {
    if (!info.dragging) return;
    EraseMark(list, info);
    ResetDragInfo(info);
    NotifySimple(list, DDLBN_ENDDRAG);
}

void QueryCursor(HWND list, WPARAM wParam, LPARAM lParam, POINT screenPoint) {
    DDLBNOTIFY record = MakeRecord(list, DDLBN_QUERYCURSOR);
    record.toIndex = InsertionIndexAtScreen(list, screenPoint);
    record.wParam = wParam;
    record.lParam = lParam;
    HCURSOR cursor = reinterpret_cast<HCURSOR>(Notify(list, record));
    if (cursor) SetCursor(cursor);
}

// Inserts the copy before deleting the original, so an insert the list refuses leaves the item
// where it was. The moved item's new index, or -1 when nothing moved.
int MoveItem(HWND list, int from, int to) {
    int count = ItemCount(list);
    if (from < 0 || from >= count || to < 0 || to > count) return -1;
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, from, 0);
    if (length < 0) return -1;
    // In UTF-16, so the item moves with whatever text it shows.
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    if (SendMessageW(list, LB_GETTEXT, from, reinterpret_cast<LPARAM>(text.data())) < 0) return -1;
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, from, 0);
    ItemMove plan = PlanItemMove(from, to);
    LRESULT inserted = SendMessageW(list, LB_INSERTSTRING, plan.insertAt,
                                    reinterpret_cast<LPARAM>(text.data()));
    if (inserted < 0) return -1;
    if (data != 0 && data != LB_ERR) SendMessageA(list, LB_SETITEMDATA, inserted, data);
    SendMessageA(list, LB_DELETESTRING, plan.deleteAt, 0);
    return plan.result;
}

// A failed move keeps the item selected where it stayed.
void MoveAndSelect(HWND list, int from, int to) {
    int moved = MoveItem(list, from, to);
    SendMessageA(list, LB_SETCURSEL, moved >= 0 ? moved : from, 0);
}

void KeyboardMove(HWND list, int step) {
    int selected = Selection(list);
    int to = KeyboardMoveTarget(selected, ItemCount(list), step);
    if (to < 0 || NotifyItem(list, DDLBN_BEGINMOVE, selected) != 0) return;
    MoveAndSelect(list, selected, to);
}

// The list knows nothing of item data: only the string goes.
void DeleteSelected(HWND list, bool backspace) {
    int selected = Selection(list);
    if (selected < 0 || selected >= ItemCount(list)) return;
    SendMessageA(list, LB_DELETESTRING, selected, 0);
    int next = SelectionAfterDelete(selected, ItemCount(list), backspace);
    if (next >= 0) SendMessageA(list, LB_SETCURSEL, next, 0);
}

LRESULT ApplyDefault(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    const DDLBNOTIFY* record = reinterpret_cast<const DDLBNOTIFY*>(lParam);
    if (!record) return CallOwn(list, message, wParam, lParam);
    switch (record->hdr.code) {
    case DDLBN_KEYDOWN:
        if (record->wParam == VK_BACK || record->wParam == VK_DELETE)
            DeleteSelected(list, record->wParam == VK_BACK);
        else if (record->wParam == VK_APPS)
            NotifySimple(list, DDLBN_CONTEXTMENU);
        return 0;
    case DDLBN_MOVE: MoveAndSelect(list, record->fromIndex, record->toIndex); return 0;
    case DDLBN_RCLICKITEM: NotifySimple(list, DDLBN_CONTEXTMENU); return 0;
    case DDLBN_SYSKEYDOWN:
        if (record->wParam == VK_LEFT || record->wParam == VK_UP) KeyboardMove(list, -1);
        if (record->wParam == VK_RIGHT || record->wParam == VK_DOWN) KeyboardMove(list, +1);
        return 0;
    }
    return CallOwn(list, message, wParam, lParam);
}

LRESULT OnLButtonDown(HWND list, DragInfo& info, WPARAM wParam, LPARAM lParam) {
    int item = ItemAtClientPoint(list, lParam, FALSE);
    if (item >= 0 && item < ItemCount(list)) BeginDrag(list, info, item);
    LRESULT result = CallOwn(list, WM_LBUTTONDOWN, wParam, lParam);
    SendSelectionChangeNotice(list);
    return result;
}

LRESULT OnMouseMove(HWND list, DragInfo& info, WPARAM wParam, LPARAM lParam) {
    EraseMark(list, info);
    DrawMarkAtCursor(list, info);
    QueryCursor(list, wParam, lParam, MessagePoint(list, lParam));
    return 0;
}

LRESULT OnLButtonUp(HWND list, DragInfo& info, WPARAM wParam, LPARAM lParam) {
    int t = InsertionIndexAtScreen(list, MessagePoint(list, lParam));
    if (t != info.sourceIndex && t >= 0 && t <= ItemCount(list)) {
        DDLBNOTIFY record = MakeRecord(list, DDLBN_MOVE);
        record.fromIndex = info.sourceIndex;
        record.toIndex = t;
        Notify(list, record);
    }
    // Losing the capture ends the drag.
    if (GetCapture() == list) ReleaseCapture();
    return CallOwn(list, WM_LBUTTONUP, wParam, lParam);
}

LRESULT OnRButton(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    int item = ItemAtClientPoint(list, lParam, FALSE);
    if (item >= 0 && item < ItemCount(list)) {
        if (message == WM_RBUTTONDOWN) {
            SendMessageA(list, LB_SETCURSEL, item, 0);
            SendSelectionChangeNotice(list);
        } else {
            NotifyItem(list, DDLBN_RCLICKITEM, item);
        }
    }
    return CallOwn(list, message, wParam, lParam);
}

LRESULT OnDestroy(HWND list, WPARAM wParam, LPARAM lParam) {
    KillTimer(list, kDragTimer);
    NotifySimple(list, DDLBN_DESTROY);
    delete static_cast<DragInfo*>(RemovePropA(list, DDLBPROP_DRAGINFO));
    WNDPROC own = reinterpret_cast<WNDPROC>(RemovePropA(list, DDLBPROP_ORIGINALPROC));
    if (!own) return DefWindowProcW(list, WM_DESTROY, wParam, lParam);
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    return CallWindowProcW(own, list, WM_DESTROY, wParam, lParam);
}

LRESULT CALLBACK DragListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    DragInfo* info = GetDragInfo(list);
    if (!info) return CallOwn(list, message, wParam, lParam);
    bool dragging = IsDragging(list, info);
    switch (message) {
    case WM_CHAR:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        if (dragging) return 0;
        if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP)
            return OnRButton(list, message, wParam, lParam);
        break;
    case WM_LBUTTONDOWN: return OnLButtonDown(list, *info, wParam, lParam);
    case WM_MOUSEMOVE:
        if (dragging) return OnMouseMove(list, *info, wParam, lParam);
        break;
    case WM_SETCURSOR:
        if (dragging) QueryCursor(list, wParam, lParam, CursorPoint());
        break;
    case WM_LBUTTONUP:
        if (dragging) return OnLButtonUp(list, *info, wParam, lParam);
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != list) {
            KillTimer(list, kDragTimer);
            EndDrag(list, *info);
        }
        break;
    case WM_KILLFOCUS:
        KillTimer(list, kDragTimer);
        if (GetCapture() == list) ReleaseCapture();
        break;
    case WM_KEYDOWN:
        if (!dragging) NotifyKey(list, DDLBN_KEYDOWN, wParam, lParam);
        break;
    case WM_SYSKEYDOWN:
        if (!dragging) NotifyKey(list, DDLBN_SYSKEYDOWN, wParam, lParam);
        break;
    case WM_NOTIFY: return ApplyDefault(list, message, wParam, lParam);
    case WM_DESTROY: return OnDestroy(list, wParam, lParam);
    }
    return CallOwn(list, message, wParam, lParam);
}

}  // namespace

bool MakeDragListBox(HWND list) {
    DragInfo* info = new (std::nothrow) DragInfo{};
    if (!info) return false;
    ResetDragInfo(*info);
    // The properties come first: the new procedure may be called as soon as it is in place.
    // Installed as a Unicode procedure, so the items' texts pass it unconverted.
    LONG_PTR own = GetWindowLongPtrW(list, GWLP_WNDPROC);
    if (!own || !SetPropA(list, DDLBPROP_ORIGINALPROC, reinterpret_cast<HANDLE>(own)) ||
        !SetPropA(list, DDLBPROP_DRAGINFO, info) ||
        !SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DragListProc))) {
        RemovePropA(list, DDLBPROP_ORIGINALPROC);
        RemovePropA(list, DDLBPROP_DRAGINFO);
        delete info;
        return false;
    }
    return true;
}

HCURSOR NoDropCursor() {
    unsigned char andPlane[kNoDropPlaneBytes];
    unsigned char xorPlane[kNoDropPlaneBytes];
    BuildNoDropCursorPlanes(andPlane, xorPlane);
    return CreateCursor(GetModuleHandleA(nullptr), kNoDropCursorHotSpot, kNoDropCursorHotSpot,
                        kNoDropCursorSize, kNoDropCursorSize, andPlane, xorPlane);
}
