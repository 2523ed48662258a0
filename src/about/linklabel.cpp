// Link label: hover, capture-based click and painting of a subclassed static control.
#include "about/linklabel.h"

#include <string>

#include "about/handcursor.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"

namespace {

constexpr const char* LLPROP_ORIGINALPROC = "LLPROP_ORIGINALPROC";
constexpr const char* LLPROP_CONTROLSTATE = "LLPROP_CONTROLSTATE";
constexpr const char* LLPROP_CURSOR = "LLPROP_CURSOR";
constexpr const char* LLPROP_FONT = "LLPROP_FONT";

constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT_PTR kStateHot = 1;
constexpr COLORREF kNormalColour = RGB(0, 0, 255);
constexpr COLORREF kHotColour = RGB(255, 0, 0);

WNDPROC OwnProcedure(HWND label) {
    return reinterpret_cast<WNDPROC>(GetPropA(label, LLPROP_ORIGINALPROC));
}

bool IsHot(HWND label) {
    return (reinterpret_cast<UINT_PTR>(GetPropA(label, LLPROP_CONTROLSTATE)) & kStateHot) != 0;
}

void SetState(HWND label, UINT_PTR state) {
    SetPropA(label, LLPROP_CONTROLSTATE, reinterpret_cast<HANDLE>(state));
}

void Notify(HWND label, UINT code, WPARAM wParam = 0, LPARAM lParam = 0) {
    LLNOTIFY record = {};
    record.hdr = MakeNotifyHeader(label, code);
    record.wParam = wParam;
    record.lParam = lParam;
    SendMessageA(GetParent(label), WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
}

HCURSOR CreateHandCursor() {
    unsigned char andPlane[kHandCursorPlaneBytes], xorPlane[kHandCursorPlaneBytes];
    BuildHandCursorPlanes(andPlane, xorPlane);
    return CreateCursor(GetModuleHandleA(nullptr), kHandCursorHotX, kHandCursorHotY,
                        kHandCursorSize, kHandCursorSize, andPlane, xorPlane);
}

// The timer notices a leave that no further mouse move over the label would report.
void CALLBACK HoverStep(HWND label, UINT, UINT_PTR, DWORD) {
    if (IsCursorInClient(label)) return;
    KillTimer(label, kHoverTimer);
    Notify(label, LLN_MOUSELEAVE);
}

void OnMouseMove(HWND label, WPARAM wParam, LPARAM lParam) {
    if (!IsCursorInClient(label)) return;
    SetTimer(label, kHoverTimer, 0, HoverStep);
    Notify(label, LLN_MOUSEMOVE, wParam, lParam);
}

void OnLButtonUp(HWND label) {
    if (GetCapture() != label) return;
    ReleaseCapture();
    RedrawWindowClient(label);  // the pressed frame goes with the capture
    if (IsCursorInClient(label)) Notify(label, LLN_CLICK);
}

// A notification the parent sent back: the label's own default.
bool OnReflectedNotify(HWND label, const NMHDR* header) {
    if (!header) return false;
    if (header->code == LLN_MOUSELEAVE) {
        SetState(label, 0);
    } else if (header->code == LLN_MOUSEMOVE) {
        if (IsCursorInClient(label)) SetState(label, kStateHot);
    } else {
        return false;
    }
    RedrawWindowClient(label);
    return true;
}

void OnPaint(HWND label) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(label, &paint);
    if (dc) {
        int saved = SaveDC(dc);
        RECT client;
        GetClientRect(label, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        bool hot = IsHot(label);
        if (hot && GetCapture() == label)
            FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        std::u16string text = CopyWindowWideText(label);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        if (!text.empty() && font) {
            SetTextColor(dc, hot ? kHotColour : kNormalColour);
            SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            TextOutW(dc, 0, 0, WideChars(text), static_cast<int>(text.size()));
        }
        RestoreDC(dc, saved);
    }
    EndPaint(label, &paint);
}

LRESULT OnDestroy(HWND label, WNDPROC own, WPARAM wParam, LPARAM lParam) {
    KillTimer(label, kHoverTimer);
    SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    RemovePropA(label, LLPROP_ORIGINALPROC);
    RemovePropA(label, LLPROP_CONTROLSTATE);
    DeleteObject(static_cast<HFONT>(RemovePropA(label, LLPROP_FONT)));
    DestroyCursor(static_cast<HCURSOR>(RemovePropA(label, LLPROP_CURSOR)));
    return CallWindowProcW(own, label, WM_DESTROY, wParam, lParam);
}

LRESULT CALLBACK LinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = OwnProcedure(label);
    if (!own) return DefWindowProcW(label, message, wParam, lParam);
    switch (message) {
        // A plain static lets the mouse fall through to its parent; the link wants it.
        case WM_NCHITTEST:
            if (IsCursorInClient(label)) return HTCLIENT;
            break;
        case WM_SETCURSOR:
            SetCursor(static_cast<HCURSOR>(GetPropA(label, LLPROP_CURSOR)));
            return TRUE;
        case WM_MOUSEMOVE: OnMouseMove(label, wParam, lParam); break;
        case WM_LBUTTONDOWN:
            SetCapture(label);
            RedrawWindowClient(label);
            break;
        case WM_LBUTTONUP: OnLButtonUp(label); break;
        case WM_NOTIFY:
            if (OnReflectedNotify(label, reinterpret_cast<const NMHDR*>(lParam))) return 0;
            break;
        case WM_PAINT: OnPaint(label); return 0;
        case WM_DESTROY: return OnDestroy(label, own, wParam, lParam);
    }
    // The parent may have destroyed the label while handling a notification.
    if (!IsWindow(label)) return 0;
    return CallWindowProcW(own, label, message, wParam, lParam);
}

}  // namespace

bool MakeLinkLabel(HWND label) {
    if (OwnProcedure(label)) return true;  // already a link label
    LOGFONTW logFont;
    if (!GetWindowFont(label, logFont)) return false;
    logFont.lfUnderline = TRUE;
    HFONT font = CreateFontIndirectW(&logFont);
    if (!font) return false;
    HCURSOR cursor = CreateHandCursor();
    if (!cursor) {
        DeleteObject(font);
        return false;
    }
    // The properties come first: the new procedure may run as soon as it is installed.
    SetPropA(label, LLPROP_ORIGINALPROC,
             reinterpret_cast<HANDLE>(GetWindowLongPtrW(label, GWLP_WNDPROC)));
    SetState(label, 0);
    SetPropA(label, LLPROP_CURSOR, cursor);
    SetPropA(label, LLPROP_FONT, font);
    SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkLabelProc));
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return true;
}
