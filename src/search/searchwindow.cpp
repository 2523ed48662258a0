// The history search window: the field, the owner-data list of matching texts, the preview and
// the count; the keys of the field; choosing a text through the main window's text choice.
#include "search/searchwindow.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/appshell.h"
#include "regedit/regeditrules.h"
#include "resource.h"
#include "search/searchrules.h"
#include "settings/appsettings.h"
#include "store/textstore.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"
#include "TOOLS/tooltext.h"

namespace {

// The caption, also the settings-file section of the window's placement.
constexpr const char* kCaption = "履歴の検索";

// The field's original procedure, kept on the field while it is subclassed.
constexpr const wchar_t* kFieldProcProp = L"SEARCHPROP_ORIGINALPROC";

// The field tells the window of a key it may act on; the window answers TRUE when it did.
constexpr UINT SEARCHN_KEYDOWN = WM_USER + 1;
struct SearchKeyNotify {
    NMHDR hdr;
    WPARAM key;
};

// Posted when the list took the focus from a click: the focus goes back to the field.
constexpr UINT WM_APP_REFOCUS_FIELD = WM_APP + 1;
// Posted when the highlight moved. Laying out a long text in the preview costs more than a
// frame under Wine, so the list is matched and painted first and the preview follows, once
// for a burst of keys.
constexpr UINT WM_APP_SHOW_PREVIEW = WM_APP + 2;
// Posted at each opening: a hotkey's command ends by activating again the window that was
// active before (none, when another program was), which would take the keyboard from the
// window just opened. Activating it once that is done keeps it.
constexpr UINT WM_APP_ACTIVATE = WM_APP + 3;

// Program-wide: at most one search window exists. Rows hold ids, never text pointers: the
// store may change under the open window.
struct SearchWindowState {
    HWND window;
    HWND mainWindow;
    LayoutState layout;
    std::vector<SearchRow> rows;
    int total;
    bool previewPending;
    int averageCharWidth;  // of the list's font, from the row measure
};
SearchWindowState g_search = {};

HWND Field(HWND window) {
    return GetDlgItem(window, IDC_SEARCH_FIELD);
}
HWND List(HWND window) {
    return GetDlgItem(window, IDC_SEARCH_LIST);
}

const TextStore* Store() {
    return g_search.mainWindow ? GetTextStore(g_search.mainWindow) : nullptr;
}

int Highlighted(HWND window) {
    int index = static_cast<int>(SendMessageW(List(window), LB_GETCURSEL, 0, 0));
    return index >= 0 && static_cast<size_t>(index) < g_search.rows.size() ? index : -1;
}

// The field in UTF-16 and in the code page, with whether the code page held all of it.
SearchQuery ReadQuery(HWND window) {
    HWND field = Field(window);
    int length = GetWindowTextLengthW(field);
    std::u16string wide(static_cast<size_t>(length) + 1, u'\0');
    wide.resize(static_cast<size_t>(GetWindowTextW(field, WideChars(wide), length + 1)));
    std::string bytes(wide.size() * 2 + 1, '\0');
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(932, 0, WideChars(wide), static_cast<int>(wide.size()),
                                &bytes[0], static_cast<int>(bytes.size()), nullptr, &lost);
    bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return BuildSearchQuery(bytes, wide, !lost);
}

void ShowPreview(HWND window) {
    HWND preview = GetDlgItem(window, IDC_SEARCH_PREVIEW);
    int index = Highlighted(window);
    const TextStore* store = Store();
    if (index < 0 || !store) {
        SetWindowTextW(preview, L"");
        return;
    }
    int id = g_search.rows[static_cast<size_t>(index)].id;
    if (const std::u16string* exact = exactTextOfId(*store, id)) {
        SetWindowTextW(preview, WideChars(*exact));
        return;
    }
    const char* text = textOfId(*store, id);
    SetWindowTextSjis(preview, text ? text : "");
}

void SchedulePreview(HWND window) {
    if (g_search.previewPending) return;
    g_search.previewPending = PostMessageW(window, WM_APP_SHOW_PREVIEW, 0, 0) != FALSE;
}

void SetHighlight(HWND window, int index) {
    SendMessageW(List(window), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SchedulePreview(window);
}

void ShowCount(HWND window) {
    char status[64];
    tooltext::FormatBounded(status, sizeof status, "%d / %d 件",
                            static_cast<int>(g_search.rows.size()), g_search.total);
    SetDlgItemTextSjis(window, IDC_SEARCH_STATUS, status);
}

// Matches the whole store again: the field changed, or the store changed under the window.
void Refilter(HWND window) {
    const TextStore* store = Store();
    const AppSettings* settings =
        g_search.mainWindow ? GetAppSettings(g_search.mainWindow) : nullptr;
    std::vector<SearchRow> all;
    if (store && settings) all = AllSearchRows(*store, settings->history.historyCount);
    g_search.total = static_cast<int>(all.size());
    g_search.rows = store ? MatchingRows(*store, all, ReadQuery(window)) : all;
    // The new count and highlight are painted once, not row by row as each of them changes.
    HWND list = List(window);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_SETCOUNT, g_search.rows.size(), 0);
    SetHighlight(window, g_search.rows.empty() ? -1 : 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ShowCount(window);
}

int PageRows(HWND window) {
    HWND list = List(window);
    int itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    return itemHeight > 0 ? GetClientSize(list).cy / itemHeight : 1;
}

// Closes once the message at hand is done: a key or a click must not destroy the control that
// is still handling it.
void CloseSoon(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
}

// Chooses the highlighted text through the main window, as a choice in the text menu arrives
// there (the Shift key is read there too), then closes. A text that went meanwhile is not
// chosen: the list is matched again instead.
void ChooseHighlighted(HWND window) {
    int index = Highlighted(window);
    const TextStore* store = Store();
    if (index < 0 || !store) return;
    int id = g_search.rows[static_cast<size_t>(index)].id;
    if (!textOfId(*store, id)) {
        Refilter(window);
        return;
    }
    SendMessageA(g_search.mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
    CloseSoon(window);
}

bool OnFieldKey(HWND window, WPARAM key) {
    bool control = GetKeyState(VK_CONTROL) < 0;
    HighlightKey move;
    switch (key) {
    case VK_UP: move = HighlightKey::Up; break;
    case VK_DOWN: move = HighlightKey::Down; break;
    case VK_PRIOR: move = HighlightKey::PageUp; break;
    case VK_NEXT: move = HighlightKey::PageDown; break;
    case VK_HOME:
        if (!control) return false;
        move = HighlightKey::First;
        break;
    case VK_END:
        if (!control) return false;
        move = HighlightKey::Last;
        break;
    case VK_RETURN: ChooseHighlighted(window); return true;
    case VK_ESCAPE: CloseSoon(window); return true;
    default: return false;
    }
    int count = static_cast<int>(g_search.rows.size());
    int next = MoveHighlight(Highlighted(window), count, move, PageRows(window));
    if (next >= 0) SetHighlight(window, next);
    return true;
}

// The field keeps the focus: the keys that move the highlight, choose or close are passed to
// the window, and their characters (Enter, Ctrl+Enter, Esc) never reach the field to beep.
LRESULT CALLBACK FieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = reinterpret_cast<WNDPROC>(GetPropW(field, kFieldProcProp));
    switch (message) {
    case WM_KEYDOWN: {
        SearchKeyNotify notify = {MakeNotifyHeader(field, SEARCHN_KEYDOWN), wParam};
        if (SendMessageW(GetParent(field), WM_NOTIFY, notify.hdr.idFrom,
                         reinterpret_cast<LPARAM>(&notify)))
            return 0;
        break;
    }
    case WM_CHAR:
        if (wParam == '\r' || wParam == '\n' || wParam == 0x1B) return 0;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(field, kFieldProcProp);
        break;
    }
    return CallWindowProcW(original, field, message, wParam, lParam);
}

void SubclassField(HWND field) {
    LONG_PTR original =
        SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FieldProc));
    SetPropW(field, kFieldProcProp, reinterpret_cast<HANDLE>(original));
}

// More bytes or code units than the row can show even in its narrowest characters: what lies
// beyond is cut off before drawing, since measuring it for the ellipsis costs time under Wine.
size_t VisibleUnits(const RECT& row) {
    int average = g_search.averageCharWidth > 0 ? g_search.averageCharWidth : 4;
    return static_cast<size_t>(3 * (row.right - row.left) / average + 8);
}

// One row: a mark for a registered text, then the start of the text on one line, in its exact
// form when it has one. A row whose text went meanwhile stays blank.
void DrawRow(const DRAWITEMSTRUCT& item) {
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const TextStore* store = Store();
    if (item.itemID >= g_search.rows.size() || !store) return;
    const SearchRow& row = g_search.rows[item.itemID];
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT mark = item.rcItem;
    mark.right = mark.left + (mark.bottom - mark.top);
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (row.registered) DrawTextW(dc, L"★", -1, &mark, flags | DT_CENTER);
    RECT rest = item.rcItem;
    rest.left = mark.right;
    if (const std::u16string* exact = exactTextOfId(*store, row.id)) {
        std::u16string shown = WideDisplayString(*exact);
        const size_t units = std::min(shown.size(), VisibleUnits(rest));
        DrawTextW(dc, WideChars(shown), static_cast<int>(units), &rest, flags);
        return;
    }
    const char* text = textOfId(*store, row.id);
    if (!text) return;
    std::string shown = RegisteredTextDisplayString(text);
    shown.resize(tooltext::SafeCutLength(shown.c_str(), VisibleUnits(rest)));
    const std::u16string wide = WideFromAnsi(shown);
    DrawTextW(dc, WideChars(wide), static_cast<int>(wide.size()), &rest, flags);
}

void MeasureRow(HWND window, MEASUREITEMSTRUCT& item) {
    HDC dc = GetDC(window);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ old =
        SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    item.itemHeight = static_cast<UINT>(metrics.tmHeight + 2);
    g_search.averageCharWidth = metrics.tmAveCharWidth;
}

BOOL OnInitDialog(HWND window, HWND mainWindow) {
    g_search.window = window;
    g_search.mainWindow = mainWindow;
    SetPropA(window, PROP_DIALOGPARAM, mainWindow);
    SetDialogIcons(window);
    RecordDialogLayout(window, g_search.layout);
    SubclassField(Field(window));
    Refilter(window);
    SIZE design = GetWindowSize(window);
    RestoreDialogPlacement(window, kCaption, DialogPlacement{true, false, design.cx, design.cy},
                           g_search.layout);
    SetWindowTopmost(window, true);  // always on top, whatever the settings file says
    SetFocus(Field(window));
    return FALSE;  // the focus is set
}

BOOL OnCommand(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
        return TRUE;
    }
    if (LOWORD(wParam) == IDC_SEARCH_FIELD && HIWORD(wParam) == EN_CHANGE) {
        Refilter(window);
        return TRUE;
    }
    if (LOWORD(wParam) != IDC_SEARCH_LIST) return FALSE;
    switch (HIWORD(wParam)) {
    case LBN_SELCHANGE: SchedulePreview(window); return TRUE;
    case LBN_DBLCLK: ChooseHighlighted(window); return TRUE;
    case LBN_SETFOCUS: PostMessageW(window, WM_APP_REFOCUS_FIELD, 0, 0); return TRUE;
    }
    return FALSE;
}

BOOL OnNotify(HWND window, const NMHDR* header) {
    if (!header || header->idFrom != IDC_SEARCH_FIELD || header->code != SEARCHN_KEYDOWN)
        return FALSE;
    const SearchKeyNotify* notify = reinterpret_cast<const SearchKeyNotify*>(header);
    SetWindowLongPtrW(window, DWLP_MSGRESULT, OnFieldKey(window, notify->key) ? TRUE : FALSE);
    return TRUE;
}

BOOL OnDestroy(HWND window) {
    SaveDialogPlacement(window, kCaption);
    ReleaseDialogIcons(window);
    RemovePropA(window, PROP_DIALOGPARAM);
    g_search.window = nullptr;
    g_search.mainWindow = nullptr;
    g_search.rows.clear();
    g_search.previewPending = false;
    return TRUE;
}

INT_PTR CALLBACK SearchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(window, reinterpret_cast<HWND>(lParam));
    case WM_COMMAND: return OnCommand(window, wParam);
    case WM_NOTIFY: return OnNotify(window, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DRAWITEM: DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_MEASUREITEM:
        MeasureRow(window, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_APP_REFOCUS_FIELD: SetFocus(Field(window)); return TRUE;
    case WM_APP_ACTIVATE:
        SetForegroundWindow(window);
        SetActiveWindow(window);
        SetFocus(Field(window));
        return TRUE;
    case WM_APP_SHOW_PREVIEW:
        g_search.previewPending = false;
        ShowPreview(window);
        return TRUE;
    case WM_CLOSE: DestroyWindow(window); return TRUE;
    case WM_SIZE:
        return ApplyAnchorLayout(window, kSearchAnchors, kSearchAnchorCount, wParam, LOWORD(lParam),
                                 HIWORD(lParam), g_search.layout);
    case WM_GETMINMAXINFO: return ApplyMinimumTrackSize(g_search.layout, lParam);
    case WM_NCHITTEST: return HitTestClientAsCaption(window, wParam, lParam);
    case WM_DESTROY: return OnDestroy(window);
    }
    return FALSE;
}

}  // namespace

void ShowSearchWindow(HWND mainWindow) {
    if (BringDialogForward(g_search.window)) {
        PostMessageW(g_search.window, WM_APP_ACTIVATE, 0, 0);
        return;
    }
    g_search.layout = LayoutState{};
    // A Unicode window, so that the preview and the list can show exact texts whole.
    HWND window =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SEARCH), mainWindow,
                           SearchWindowProc, reinterpret_cast<LPARAM>(mainWindow));
    if (!window) return;
    if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    PostMessageW(window, WM_APP_ACTIVATE, 0, 0);
}

void CloseSearchWindow() {
    if (g_search.window) DestroyWindow(g_search.window);
}
