// Drag-and-drop list box: a subclass that lets a single-selection list box's items be reordered
// with the mouse and with Alt+arrows, and reports keys, clicks and drags to its parent.
#pragma once

#include <windows.h>

// Properties of a subclassed list.
constexpr const char* DDLBPROP_ORIGINALPROC = "DDLBPROP_ORIGINALPROC";
constexpr const char* DDLBPROP_DRAGINFO = "DDLBPROP_DRAGINFO";

// Notification codes, sent as WM_NOTIFY to the parent. A parent that does not act on one sends
// the same record back to the list (SendMessage(list, WM_NOTIFY, id, record)); the list then
// applies its default.
enum : UINT {
    DDLBN_KEYDOWN = WM_USER + 1,  // wParam: the key. Default: Back/Delete delete, Apps menu
    DDLBN_BEGINMOVE = WM_USER + 2,  // item. A nonzero answer refuses the drag or key move
    DDLBN_MOVE = WM_USER + 3,       // fromIndex, toIndex. Default: move the item, select it
    DDLBN_ENDDRAG = WM_USER + 4,
    DDLBN_QUERYCURSOR = WM_USER + 5,  // toIndex (-1 outside). Answer: a cursor, or 0
    DDLBN_RCLICKITEM = WM_USER + 7,   // item. Default: DDLBN_CONTEXTMENU
    DDLBN_CONTEXTMENU = WM_USER + 8,
    DDLBN_SYSKEYDOWN = WM_USER + 9,  // wParam: the key. Default: Alt+arrows move the selection
    DDLBN_DESTROY = WM_USER + 10,
};

struct DDLBNOTIFY {
    NMHDR hdr;  // the list, its control id, the code
    int item;
    WPARAM wParam;  // of the message behind the notification: the key, the mouse flags
    LPARAM lParam;
    int fromIndex;
    int toIndex;  // insertion index: before the item now there; the count means after the last
};

// State of one subclassed list; idle values while no drag is in progress.
struct DragInfo {
    int sourceIndex;
    bool dragging;
    bool markDrawn;
    POINT markEnd;
    POINT markStart;
};

// Installs the subclass on a list box, before it is filled. False (the list stays ordinary)
// when its record cannot be allocated.
bool MakeDragListBox(HWND list);

// The no-entry cursor shown while a drag is outside the list; the caller destroys it.
HCURSOR NoDropCursor();
