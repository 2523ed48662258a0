// The history search window: the field, the owner-data list of matching texts, the preview and
// the count; the keys of the field; choosing a text through the main window's text choice.
#include "search/searchwindow.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/appshell.h"
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

// Program-wide: at most one search window exists. Rows hold their entries, which the store
// may let go while the window is open; the main window tells of every change.
struct SearchWindowState {
    HWND window;
    HWND mainWindow;
    LayoutState layout;
    SearchQuery query;  // the field's, built as it changes
    std::vector<SearchRow> rows;
    int total;
    bool previewPending;
    std::weak_ptr<const TextEntry> previewed;  // what the preview shows, and Enter chooses
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

// The field in UTF-16 and in the code page, with whether the code page held it exactly. A field
// set from outside may be longer than the limit of typing: only the limit is read.
SearchQuery ReadQuery(HWND window) {
    HWND field = Field(window);
    std::u16string wide(kSearchFieldLimit + 2, u'\0');
    int length = GetWindowTextW(field, WideChars(wide), kSearchFieldLimit + 2);
    wide.resize(tooltext::WideCutLength(wide.data(), static_cast<size_t>(std::max(length, 0)),
                                        kSearchFieldLimit));
    // A round trip catches what the code page lacks and what it maps one way only (é as e).
    std::string bytes = AnsiFromWide(wide);
    return BuildSearchQuery(bytes, wide, WideFromAnsi(bytes) == wide);
}

std::shared_ptr<const TextEntry> HighlightedEntry(HWND window) {
    int index = Highlighted(window);
    const TextStore* store = Store();
    if (index < 0 || !store) return nullptr;
    return LiveEntry(*store, g_search.rows[static_cast<size_t>(index)].entry);
}

std::u16string CutForPreview(std::u16string shown, bool cut) {
    if (cut) shown += u"\r\n\r\n（長いテキストのため、最初の 64 KB だけを表示しています）";
    return shown;
}

std::u16string PreviewText(const TextEntry& entry) {
    return withTextForm(
        entry,
        [](const std::u16string& exact) {
            size_t cut = PreviewCutLength(exact);
            return CutForPreview(exact.substr(0, cut), cut < exact.size());
        },
        [](const std::string& bytes) {
            size_t cut = PreviewCutLength(bytes);
            return CutForPreview(WideFromAnsi(std::string_view(bytes).substr(0, cut)),
                                 cut < bytes.size());
        });
}

// Shows the highlighted text, unless the preview shows that very entry already.
void ShowPreview(HWND window) {
    HWND preview = GetDlgItem(window, IDC_SEARCH_PREVIEW);
    std::shared_ptr<const TextEntry> entry = HighlightedEntry(window);
    if (entry && entry == g_search.previewed.lock()) return;
    g_search.previewed = entry;
    SetWindowTextW(preview, entry ? WideChars(PreviewText(*entry)) : L"");
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

// Where the highlight goes once the rows were matched again: to the text it was on, when that
// is still listed, else to the row at its place.
int KeptHighlight(const std::shared_ptr<const TextEntry>& entry, bool registered, int index) {
    if (g_search.rows.empty()) return -1;
    int found = entry ? FindRow(g_search.rows, *entry, registered) : -1;
    if (found >= 0) return found;
    return std::clamp(index, 0, static_cast<int>(g_search.rows.size()) - 1);
}

// Matches the whole store again: the field changed (the highlight goes to the first row), or
// the store changed under the window (it stays on its text).
void Refilter(HWND window, bool keepHighlight) {
    int index = Highlighted(window);
    std::shared_ptr<const TextEntry> entry = keepHighlight ? HighlightedEntry(window) : nullptr;
    bool registered = index >= 0 && g_search.rows[static_cast<size_t>(index)].registered;
    const TextStore* store = Store();
    const AppSettings* settings =
        g_search.mainWindow ? GetAppSettings(g_search.mainWindow) : nullptr;
    std::vector<SearchRow> all;
    if (store && settings) all = AllSearchRows(*store, settings->history.historyCount);
    g_search.total = static_cast<int>(all.size());
    g_search.rows = store ? MatchingRows(*store, all, g_search.query) : all;
    // The new count and highlight are painted once, not row by row as each of them changes.
    HWND list = List(window);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_SETCOUNT, g_search.rows.size(), 0);
    SetHighlight(window, keepHighlight ? KeptHighlight(entry, registered, index)
                                       : (g_search.rows.empty() ? -1 : 0));
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

// Chooses the text the preview shows through the main window, as a choice in the text menu
// arrives there (the Shift key is read there too; a message about it is this window's), then
// closes. A text that went meanwhile is not chosen, nor one whose preview is still to come: the
// list is matched again instead.
void ChooseHighlighted(HWND window) {
    const TextStore* store = Store();
    std::shared_ptr<const TextEntry> entry =
        store ? LiveEntry(*store, g_search.previewed) : nullptr;
    if (!entry) {
        if (Highlighted(window) >= 0) Refilter(window, true);
        return;
    }
    SendMessageW(g_search.mainWindow, WM_COMMAND, static_cast<WPARAM>(entry->id),
                 reinterpret_cast<LPARAM>(window));
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

// One row: a mark for a registered text, then the start of the text on one line, in its exact
// form when it has one. A row whose text went meanwhile stays blank.
void DrawRow(const DRAWITEMSTRUCT& item) {
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const TextStore* store = Store();
    if (item.itemID >= g_search.rows.size() || !store) return;
    const SearchRow& row = g_search.rows[item.itemID];
    std::shared_ptr<const TextEntry> entry = LiveEntry(*store, row.entry);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT mark = item.rcItem;
    mark.right = mark.left + (mark.bottom - mark.top);
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (row.registered) DrawTextW(dc, L"★", -1, &mark, flags | DT_CENTER);
    RECT rest = item.rcItem;
    rest.left = mark.right;
    if (!entry) return;
    const size_t units = RowVisibleUnits(rest.right - rest.left, g_search.averageCharWidth);
    withTextForm(
        *entry,
        [&](const std::u16string& exact) {
            std::u16string shown = RowWide(exact, units);
            DrawTextW(dc, WideChars(shown), static_cast<int>(shown.size()), &rest, flags);
        },
        [&](const std::string& bytes) {
            std::string shown = RowBytes(bytes.c_str(), units);
            const std::u16string wide = WideFromAnsi(shown);
            DrawTextW(dc, WideChars(wide), static_cast<int>(wide.size()), &rest, flags);
        });
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
    SendMessageW(Field(window), EM_SETLIMITTEXT, kSearchFieldLimit, 0);
    g_search.query = ReadQuery(window);
    Refilter(window, false);
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
    if (LOWORD(wParam) == IDOK) {  // Enter, through the dialog manager
        ChooseHighlighted(window);
        return TRUE;
    }
    if (LOWORD(wParam) == IDC_SEARCH_FIELD && HIWORD(wParam) == EN_CHANGE) {
        g_search.query = ReadQuery(window);
        Refilter(window, false);
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
    g_search.query = SearchQuery{};
    g_search.previewed.reset();
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

void NotifySearchWindowStoreChanged() {
    if (g_search.window) Refilter(g_search.window, true);
}

bool IsSearchWindowMessage(MSG* message) {
    return g_search.window && IsDialogMessageW(g_search.window, message);
}
