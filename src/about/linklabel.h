// Link label: a static text control made into a hyperlink that reports clicks to its parent.
#pragma once

#include <windows.h>

// Notifications to the parent (WM_NOTIFY with an LLNOTIFY record). The parent acts on one or
// sends the same record back to the label, which then applies its own default.
constexpr UINT LLN_CLICK = WM_USER + 1;       // released inside the label after pressing on it
constexpr UINT LLN_MOUSELEAVE = WM_USER + 2;  // the cursor has left; reflected: normal look
constexpr UINT LLN_MOUSEMOVE = WM_USER + 3;   // the cursor moved inside; reflected: hot look

struct LLNOTIFY {
    NMHDR hdr;
    WPARAM wParam;  // LLN_MOUSEMOVE: the key flags of the WM_MOUSEMOVE
    LPARAM lParam;  // LLN_MOUSEMOVE: its cursor position
};

// Subclasses a static control that has a font: underlined blue text, red while hot, a hand
// cursor. False (the control left as it was) when it has no font or a resource is short.
bool MakeLinkLabel(HWND label);
