// The registered-text dialog: its working copy in a drag-and-drop list, the edit pad for adding
// and editing, the context menu, the drag cursors and the commit.
#include "regedit/regtextdialog.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/appshell.h"
#include "editpad/editpad.h"
#include "regedit/draglist.h"
#include "regedit/regeditrules.h"
#include "TOOLS/toolsys.h"
#include "resource.h"
#include "store/textstore.h"
#include "TOOLS/toolwind.h"

namespace {

// The caption, also the settings-file section of the dialog's placement.
constexpr const char* kCaption = "登録テキストの編集";

// Program-wide: at most one dialog is open (the one-dialog rule).
struct RegTextDialogState {
    LayoutState layout;
    HCURSOR noDropCursor;
    // The registered entries when the dialog opened: any other entry the store holds at the
    // commit was registered meanwhile (a Shift-choice from the text menu) and must survive it.
    // Held, so that no entry made meanwhile can take the place of one of them in memory.
    std::vector<std::shared_ptr<TextEntry>> openingEntries;
    std::unordered_set<const TextEntry*> opening;
};
RegTextDialogState g_dialog = {};

void ForgetOpeningEntries() {
    g_dialog.openingEntries.clear();
    g_dialog.opening.clear();
}

HWND List(HWND dialog) {
    return GetDlgItem(dialog, IDC_REGTEXT_LIST);
}

int ItemCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

// The selected index, or -1 when nothing valid is selected.
int ValidSelection(HWND list) {
    int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    return selected >= 0 && selected < ItemCount(list) ? selected : -1;
}

// Each item's data is its full text with its exact form, owned by the dialog.
TextRow* ItemRow(HWND list, int index) {
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<TextRow*>(data);
}

TextRow* CopyRow(const TextRow& row) {
    try {
        return new TextRow(row);
    } catch (const std::exception&) {  // bad_alloc
        return nullptr;
    }
}

// An item whose full text cannot be kept is not inserted: a commit must never meet an item
// without its text. The new item's index, or -1 with the list unchanged.
int InsertItem(HWND list, int index, const TextRow& row) {
    TextRow* copy = CopyRow(row);
    if (!copy) return -1;
    std::u16string display = copy->exact
                                 ? WideDisplayString(*copy->exact)
                                 : WideFromAnsi(RegisteredTextDisplayString(copy->text.c_str()));
    LRESULT at =
        SendMessageW(list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(display.c_str()));
    if (at >= 0 &&
        SendMessageA(list, LB_SETITEMDATA, at, reinterpret_cast<LPARAM>(copy)) != LB_ERR) {
        return static_cast<int>(at);
    }
    if (at >= 0) SendMessageA(list, LB_DELETESTRING, at, 0);
    delete copy;
    return -1;
}

void DeleteItem(HWND list, int index) {
    delete ItemRow(list, index);
    SendMessageA(list, LB_DELETESTRING, index, 0);
}

void UpdateButtons(HWND dialog) {
    RegisteredTextButtons states = RegisteredTextButtonStates(ItemCount(List(dialog)));
    HWND focus = GetFocus();
    const struct {
        int id;
        bool enabled;
    } buttons[] = {{IDC_REGTEXT_ADD, states.add},
                   {IDC_REGTEXT_EDIT, states.edit},
                   {IDC_REGTEXT_DELETE, states.remove}};
    for (const auto& button : buttons) {
        HWND control = GetDlgItem(dialog, button.id);
        EnableWindow(control, button.enabled);
        // A button disabled under the keyboard focus would leave the dialog without one.
        if (!button.enabled && control == focus)
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(List(dialog)), TRUE);
    }
}

// The edit pad over the hidden dialog; nothing when the user cancelled.
std::optional<TextRow> EditThroughPad(HWND dialog, const TextRow* initial) {
    ShowWindow(dialog, SW_HIDE);
    std::optional<TextRow> text = ShowEditPad(dialog, initial);
    ShowWindow(dialog, SW_SHOW);
    return text;
}

void OnAdd(HWND dialog) {
    HWND list = List(dialog);
    if (!RegisteredTextButtonStates(ItemCount(list)).add) return;
    std::optional<TextRow> row = EditThroughPad(dialog, nullptr);
    if (!row || InsertItem(list, 0, *row) < 0) return;
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    UpdateButtons(dialog);
}

void OnEdit(HWND dialog) {
    HWND list = List(dialog);
    int index = ValidSelection(list);
    if (index < 0) return;
    const TextRow* current = ItemRow(list, index);
    TextRow before = current ? *current : TextRow{};
    // The pad gives a text left as it was back in its own form.
    std::optional<TextRow> row = EditThroughPad(dialog, &before);
    // The new item goes in first, so a failure keeps the old one.
    if (!row || InsertItem(list, index, *row) < 0) return;
    DeleteItem(list, index + 1);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    UpdateButtons(dialog);
}

void OnDelete(HWND dialog) {
    HWND list = List(dialog);
    int index = ValidSelection(list);
    if (index < 0) return;
    DeleteItem(list, index);
    int next = SelectionAfterDelete(index, ItemCount(list), false);
    if (next >= 0) SendMessageA(list, LB_SETCURSEL, next, 0);
    UpdateButtons(dialog);
}

void DeleteAllItems(HWND list) {
    for (int i = ItemCount(list) - 1; i >= 0; --i) DeleteItem(list, i);
}

// Texts registered while the dialog was open, newest first: they go above the list's texts, as
// they would have been put at its top.
std::vector<TextRow> TextsRegisteredMeanwhile(const TextStore& store) {
    std::vector<TextRow> rows;
    const TextChain& chain = store.registered.chain;
    for (auto entry = chain.rbegin(); entry != chain.rend(); ++entry)
        if (!g_dialog.opening.count(entry->get()))
            rows.push_back({(*entry)->text, (*entry)->exact});
    return rows;
}

// A commit that cannot be stored (every text id taken) changes nothing and keeps the dialog
// open with its list, so the user loses no edit.
void OnCommit(HWND dialog) {
    TextStore* store = static_cast<TextStore*>(GetPropA(dialog, PROP_DIALOGPARAM));
    if (!store) return;
    std::vector<TextRow> rows = TextsRegisteredMeanwhile(*store);
    HWND list = List(dialog);
    for (int i = 0, n = ItemCount(list); i < n; ++i) {
        if (const TextRow* row = ItemRow(list, i)) rows.push_back(*row);
    }
    if (!replaceRegisteredTexts(*store, rows)) {
        BeepMessageBox(dialog,
                       "登録テキストを変更できませんでした。\n"
                       "テキストの数が上限に達しています。\n"
                       "履歴をクリアしてから、もう一度OKを押してください。",
                       kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(dialog, IDOK);
}

void ShowContextMenu(HWND dialog) {
    if (ValidSelection(List(dialog)) < 0) return;
    POINT cursor = {};
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_REGTEXT_MENU));
    if (!menu) return;
    SetForegroundWindow(dialog);
    TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, dialog, nullptr);
    DestroyMenu(menu);
}

// The page cursor over the list; the no-drop sign outside it, kept until the dialog ends so
// the cursor on the screen is never a destroyed one.
HCURSOR DragCursor(int toIndex) {
    if (toIndex >= 0)
        return LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDCUR_DRAG));
    if (!g_dialog.noDropCursor) g_dialog.noDropCursor = NoDropCursor();
    return g_dialog.noDropCursor;
}

LRESULT OnListNotify(HWND dialog, DDLBNOTIFY* record) {
    switch (record->hdr.code) {
    case DDLBN_KEYDOWN:
        // Backspace would only drop the string and leak the item's text.
        if (record->wParam == VK_BACK) return FALSE;
        if (record->wParam == VK_SPACE)
            return SendMessageA(dialog, WM_COMMAND, IDC_REGTEXT_EDIT, 0);
        if (record->wParam == VK_DELETE)
            return SendMessageA(dialog, WM_COMMAND, IDC_REGTEXT_DELETE, 0);
        break;
    case DDLBN_QUERYCURSOR: return reinterpret_cast<LRESULT>(DragCursor(record->toIndex));
    case DDLBN_CONTEXTMENU: ShowContextMenu(dialog); return TRUE;
    case DDLBN_DESTROY: DeleteAllItems(record->hdr.hwndFrom); return TRUE;
    }
    return SendMessageA(record->hdr.hwndFrom, WM_NOTIFY, record->hdr.idFrom,
                        reinterpret_cast<LPARAM>(record));
}

BOOL OnInitDialog(HWND dialog, TextStore* store) {
    SetPropA(dialog, PROP_DIALOGPARAM, store);
    SetDialogIcons(dialog);
    RecordDialogLayout(dialog, g_dialog.layout);
    HWND list = List(dialog);
    MakeDragListBox(list);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    ForgetOpeningEntries();
    const TextChain& chain = store->registered.chain;
    for (auto entry = chain.rbegin(); entry != chain.rend(); ++entry) {
        // An entry that cannot be marked is not listed: the commit keeps it as one registered
        // meanwhile.
        try {
            g_dialog.openingEntries.push_back(*entry);
            g_dialog.opening.insert(entry->get());
        } catch (const std::exception&) {
            continue;
        }
        InsertItem(list, ItemCount(list), TextRow{(*entry)->text, (*entry)->exact});
    }
    if (ItemCount(list) > 0) SendMessageA(list, LB_SETCURSEL, 0, 0);
    UpdateButtons(dialog);
    SIZE design = GetWindowSize(dialog);
    RestoreDialogPlacement(dialog, kCaption, DialogPlacement{false, false, design.cx, design.cy},
                           g_dialog.layout);
    return TRUE;
}

BOOL OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK: OnCommit(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_REGTEXT_ADD: OnAdd(dialog); return TRUE;
    case IDC_REGTEXT_EDIT:
    case IDM_REGTEXT_EDIT: OnEdit(dialog); return TRUE;
    case IDC_REGTEXT_DELETE:
    case IDM_REGTEXT_DELETE: OnDelete(dialog); return TRUE;
    case IDC_REGTEXT_LIST:
        if (HIWORD(wParam) == LBN_DBLCLK) SendMessageA(dialog, WM_COMMAND, IDC_REGTEXT_EDIT, 0);
        return TRUE;
    }
    return FALSE;
}

BOOL OnDestroy(HWND dialog) {
    SaveDialogPlacement(dialog, kCaption);
    ReleaseDialogIcons(dialog);
    RemovePropA(dialog, PROP_DIALOGPARAM);
    return TRUE;
}

INT_PTR CALLBACK RegTextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<TextStore*>(lParam));
    case WM_COMMAND: return OnCommand(dialog, wParam);
    case WM_NOTIFY: {
        DDLBNOTIFY* record = reinterpret_cast<DDLBNOTIFY*>(lParam);
        if (!record || record->hdr.idFrom != IDC_REGTEXT_LIST) return FALSE;
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, OnListNotify(dialog, record));
        return TRUE;
    }
    case WM_CLOSE: AskSaveOnClose(dialog, kCaption); return TRUE;
    case WM_SIZE:
        return ApplyAnchorLayout(dialog, kRegisteredTextAnchors, kRegisteredTextAnchorCount,
                                 wParam, LOWORD(lParam), HIWORD(lParam), g_dialog.layout);
    case WM_GETMINMAXINFO: return ApplyMinimumTrackSize(g_dialog.layout, lParam);
    case WM_NCHITTEST: return HitTestClientAsCaption(dialog, wParam, lParam);
    case WM_DESTROY: return OnDestroy(dialog);
    }
    return FALSE;
}

}  // namespace

bool ShowRegisteredTextDialog(HWND mainWindow, TextStore& store) {
    if (GetPropA(mainWindow, PROP_DIALOG)) return false;
    SetPropA(mainWindow, PROP_DIALOG, mainWindow);
    g_dialog.layout = LayoutState{};
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr),
                                     MAKEINTRESOURCEW(IDD_REGISTERED_TEXTS), mainWindow,
                                     RegTextDialogProc, reinterpret_cast<LPARAM>(&store));
    SetPropA(mainWindow, PROP_DIALOG, nullptr);
    if (g_dialog.noDropCursor) DestroyCursor(g_dialog.noDropCursor);
    g_dialog.noDropCursor = nullptr;
    ForgetOpeningEntries();
    return result == IDOK;
}
