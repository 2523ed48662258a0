// Window toolkit: common dialog handling, anchored layout, placement memory, window geometry.
#include "TOOLS/toolwind.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "TOOLS/toolini.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"

namespace {

void SetIconFromShell(HWND dialog, const std::u16string& modulePath, UINT sizeFlag,
                      WPARAM which) {
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(WideChars(modulePath), 0, &info, sizeof info, SHGFI_ICON | sizeFlag) &&
        info.hIcon) {
        SendMessageW(dialog, WM_SETICON, which, reinterpret_cast<LPARAM>(info.hIcon));
    }
}

void ReadPlacementNumber(const char* section, const char* key, const std::u16string& path,
                         int& field) {
    field = PlacementNumber(ReadIniText(section, key, "", path).c_str(), field);
}

void WritePlacementNumber(const char* section, const char* key, const std::u16string& path,
                          int value) {
    char text[16];
    tooltext::FormatBounded(text, sizeof text, "%d", value);
    WriteIniText(section, key, text, path);
}

ScreenArea ToArea(const RECT& r) {
    return ScreenArea{r.left, r.top, r.right, r.bottom};
}

RECT ToRect(const ScreenArea& a) {
    return RECT{a.left, a.top, a.right, a.bottom};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<MonitorAreas>*>(list)->push_back(
            MonitorAreas{ToArea(info.rcMonitor), ToArea(info.rcWork)});
    }
    return TRUE;
}

RECT WorkAreaUnderCursor() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    return ToRect(GetMonitorAt(cursor).work);
}

bool SetWindowPosition(HWND window, HWND insertAfter, int x, int y, int w, int h, UINT flags) {
    return SetWindowPos(window, insertAfter, x, y, w, h, flags) != FALSE;
}

}  // namespace

BOOL HitTestClientAsCaption(HWND dialog, WPARAM wParam, LPARAM lParam) {
    LRESULT hit = DefWindowProcW(dialog, WM_NCHITTEST, wParam, lParam);
    if (hit == HTCLIENT) hit = HTCAPTION;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, hit);
    return TRUE;
}

void SetDialogIcons(HWND dialog) {
    wchar_t module[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::u16string modulePath(reinterpret_cast<const char16_t*>(module), n);
    SetIconFromShell(dialog, modulePath, SHGFI_LARGEICON, ICON_BIG);
    SetIconFromShell(dialog, modulePath, SHGFI_SMALLICON, ICON_SMALL);
}

void ReleaseDialogIcons(HWND dialog) {
    for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
        HICON icon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_SETICON, which, 0));
        if (icon) DestroyIcon(icon);
    }
}

void CenterWindowOnCursor(HWND window) {
    SIZE size = GetWindowSize(window);
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT work = ToRect(GetMonitorAt(cursor).work);
    ScreenPoint origin = CenteredOnCursor(size.cx, size.cy, {cursor.x, cursor.y},
                                          {work.left, work.top, work.right, work.bottom});
    POINT point = {origin.x, origin.y};
    HWND parent = GetParent(window);
    if (parent && IsChild(parent, window)) ScreenToClient(parent, &point);
    MoveWindowTo(window, point.x, point.y);
}

int BeepMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    // The sound of the box's icon (its bits 4 to 6; 0 is the plain beep).
    MessageBeep(type & 0x70);
    return MessageBoxSjis(owner, text, caption, type);
}

int MessageBoxSjis(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxW(owner, WideChars(WideFromAnsi(text)), WideChars(WideFromAnsi(caption)),
                       type);
}

void AskSaveOnClose(HWND dialog, const char* caption) {
    int answer =
        BeepMessageBox(dialog, "保存しますか？", caption, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDYES) SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    if (answer == IDNO) SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

bool BringDialogForward(HWND dialog) {
    if (!dialog || !IsWindow(dialog)) return false;
    BringWindowToTop(dialog);
    SetForegroundWindow(dialog);
    ShowWindow(dialog, SW_SHOWDEFAULT);
    return true;
}

bool BringForwardIfOpen(SingleDialog& single) {
    if (!single.open) return false;
    BringDialogForward(single.window);
    return true;
}

INT_PTR RunSingleDialog(SingleDialog& single, int resourceId, HWND owner, DLGPROC procedure,
                        void* record) {
    single.open = true;
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), owner,
                                     procedure, reinterpret_cast<LPARAM>(record));
    single.open = false;
    return result;
}

void AttachDialogRecord(HWND dialog, SingleDialog& single, LPARAM record) {
    single.window = dialog;
    SetPropA(dialog, PROP_DIALOGPARAM, reinterpret_cast<HANDLE>(record));
    SetDialogIcons(dialog);
    CenterWindowOnCursor(dialog);
}

void DetachDialogRecord(HWND dialog, SingleDialog& single) {
    RemovePropA(dialog, PROP_DIALOGPARAM);
    ReleaseDialogIcons(dialog);
    single.window = nullptr;
}

BOOL ApplyAnchorLayout(HWND dialog, const AnchorRule* rules, size_t count, WPARAM sizeType,
                       int newClientWidth, int newClientHeight, LayoutState& state) {
    int dx = 0, dy = 0;
    if (!AnchorLayoutDelta(state, static_cast<unsigned>(sizeType), newClientWidth, newClientHeight,
                           dx, dy)) {
        return TRUE;
    }
    HDWP batch = BeginDeferWindowPos(static_cast<int>(count));
    if (!batch) return TRUE;
    for (size_t i = 0; i < count && batch; ++i) {
        HWND control = GetDlgItem(dialog, rules[i].controlId);
        if (!control) continue;
        WindowBox box = AnchoredBox(rules[i], GetWindowBox(control), dx, dy);
        batch = DeferWindowPos(batch, control, nullptr, box.x, box.y, box.width, box.height,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A failed DeferWindowPos has already dropped the batch; the next pass catches up.
    if (!batch || !EndDeferWindowPos(batch)) return TRUE;
    state.previousClientWidth = newClientWidth;
    state.previousClientHeight = newClientHeight;
    return TRUE;
}

void RecordDialogLayout(HWND dialog, LayoutState& state) {
    SIZE outer = GetWindowSize(dialog);
    SIZE client = GetClientSize(dialog);
    state.minimumWidth = outer.cx;
    state.minimumHeight = outer.cy;
    state.previousClientWidth = client.cx;
    state.previousClientHeight = client.cy;
}

BOOL ApplyMinimumTrackSize(const LayoutState& state, LPARAM minMaxInfo) {
    if (state.minimumWidth <= 0 || state.minimumHeight <= 0) return FALSE;
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(minMaxInfo);
    info->ptMinTrackSize.x = state.minimumWidth;
    info->ptMinTrackSize.y = state.minimumHeight;
    return TRUE;
}

void LoadDialogPlacement(const char* section, DialogPlacement& placement) {
    const std::u16string path = ModuleSiblingPath(".ini");
    if (path.empty()) return;
    int topmost = placement.alwaysOnTop, maximised = placement.maximised;
    ReadPlacementNumber(section, kPlacementTopmostKey, path, topmost);
    ReadPlacementNumber(section, kPlacementMaximisedKey, path, maximised);
    ReadPlacementNumber(section, kPlacementHeightKey, path, placement.height);
    ReadPlacementNumber(section, kPlacementWidthKey, path, placement.width);
    placement.alwaysOnTop = topmost != 0;
    placement.maximised = maximised != 0;
}

void SaveDialogPlacement(HWND dialog, const char* section) {
    const std::u16string path = ModuleSiblingPath(".ini");
    if (path.empty()) return;
    RECT normal = GetNormalWindowRect(dialog);
    WritePlacementNumber(section, kPlacementTopmostKey, path, IsWindowTopmost(dialog) ? 1 : 0);
    WritePlacementNumber(section, kPlacementMaximisedKey, path, IsZoomed(dialog) ? 1 : 0);
    WritePlacementNumber(section, kPlacementHeightKey, path, normal.bottom - normal.top);
    WritePlacementNumber(section, kPlacementWidthKey, path, normal.right - normal.left);
}

void RestoreDialogPlacement(HWND dialog, const char* section, DialogPlacement defaults,
                            const LayoutState& state) {
    DialogPlacement placement = defaults;
    LoadDialogPlacement(section, placement);
    SetWindowTopmost(dialog, placement.alwaysOnTop);
    // A damaged or hand-edited size must not open the dialog unusably small or off the screen.
    RECT work = WorkAreaUnderCursor();
    ResizeWindowTo(
        dialog, ClampPlacementSize(placement.width, state.minimumWidth, work.right - work.left),
        ClampPlacementSize(placement.height, state.minimumHeight, work.bottom - work.top));
    CenterWindowOnCursor(dialog);
    if (placement.maximised) ShowWindow(dialog, SW_SHOWMAXIMIZED);
}

SIZE GetWindowSize(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE GetClientSize(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int GetClientWidth(HWND window) {
    return GetClientSize(window).cx;
}

POINT GetWindowOrigin(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    POINT origin = {r.left, r.top};
    HWND parent = GetParent(window);
    if (parent && IsChild(parent, window)) ScreenToClient(parent, &origin);
    return origin;
}

POINT ScreenToWindowPoint(HWND window, POINT screenPoint) {
    RECT r = {};
    GetWindowRect(window, &r);
    return POINT{screenPoint.x - r.left, screenPoint.y - r.top};
}

WindowBox GetWindowBox(HWND window) {
    POINT origin = GetWindowOrigin(window);
    SIZE size = GetWindowSize(window);
    return WindowBox{origin.x, origin.y, size.cx, size.cy};
}

bool MoveWindowTo(HWND window, int x, int y) {
    return SetWindowPosition(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool MoveWindowHorizontallyBy(HWND window, int dx) {
    POINT origin = GetWindowOrigin(window);
    return MoveWindowTo(window, origin.x + dx, origin.y);
}

bool ResizeWindowTo(HWND window, int width, int height) {
    return SetWindowPosition(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

bool WidenWindowBy(HWND window, int dx) {
    SIZE size = GetWindowSize(window);
    return ResizeWindowTo(window, size.cx + dx, size.cy);
}

bool SetWindowTopmost(HWND window, bool on) {
    return SetWindowPosition(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE |
                                 SWP_NOCOPYBITS | SWP_NOSENDCHANGING);
}

bool IsWindowTopmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

RECT GetNormalWindowRect(HWND window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

std::vector<MonitorAreas> GetMonitorAreas() {
    std::vector<MonitorAreas> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (!monitors.empty()) return monitors;
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    monitors.push_back(MonitorAreas{ToArea(screen), ToArea(work)});
    return monitors;
}

MonitorAreas GetMonitorAt(POINT point) {
    std::vector<MonitorAreas> monitors = GetMonitorAreas();
    return monitors[MonitorNearestPoint(monitors.data(), monitors.size(), {point.x, point.y})];
}

int FindMaximizeItemPosition(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) == SC_MAXIMIZE) return i;
    }
    return -1;
}

bool GetWindowFont(HWND window, LOGFONTW& font) {
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
    return handle && GetObjectW(handle, sizeof font, &font) == static_cast<int>(sizeof font);
}

void RedrawWindowClient(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
}

NMHDR MakeNotifyHeader(HWND sender, UINT code) {
    NMHDR header = {};
    header.hwndFrom = sender;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(sender));
    header.code = code;
    return header;
}

void SendSelectionChangeNotice(HWND control) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}

bool IsCursorInClient(HWND window) {
    POINT cursor = {};
    if (!GetCursorPos(&cursor)) return false;
    ScreenToClient(window, &cursor);
    RECT client = {};
    GetClientRect(window, &client);
    return PtInRect(&client, cursor) != FALSE;
}

std::string CopyWindowText(HWND window) {
    return AnsiFromWide(CopyWindowWideText(window));
}

std::u16string CopyWindowWideText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::u16string();
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int copied = GetWindowTextW(window, WideChars(text), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

bool SetWindowTextSjis(HWND window, const char* text) {
    return SetWindowTextW(window, WideChars(WideFromAnsi(text))) != FALSE;
}

bool SetDlgItemTextSjis(HWND dialog, int id, const char* text) {
    return SetWindowTextSjis(GetDlgItem(dialog, id), text);
}

void FocusDialogItem(HWND dialog, int id) {
    SetFocus(GetDlgItem(dialog, id));
}

bool InitDialogControls() {
    // Buttons, edits, statics and list boxes; the hotkey fields; the history count's spin; tips.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES | ICC_HOTKEY_CLASS |
                                                        ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
}
