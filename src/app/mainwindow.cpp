// The hidden main window: creation and teardown of the run, command dispatch, menu states.
#include "app/mainwindow.h"

#include <string>
#include <vector>

#include "about/aboutbox.h"
#include "app/appshell.h"
#include "app/commands.h"
#include "app/dialogcommands.h"
#include "app/popuppoint.h"
#include "app/trayicon.h"
#include "clipboard/viewerchain.h"
#include "editpad/editpad.h"
#include "menu/textmenu.h"
#include "regedit/regtextdialog.h"
#include "resource.h"
#include "search/searchwindow.h"
#include "settings/appsettings.h"
#include "settings/hotkeysys.h"
#include "store/listfile.h"
#include "store/listsaver.h"
#include "store/textstore.h"
#include "sync/sharedfolder.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"
#include "TOOLS/tooltext.h"

namespace {

// What the about box links to: the support page shipped beside the executable, else the README
// shipped with it (scripts/package.sh puts both there).
std::u16string SupportPagePath() {
    std::u16string folder = ModuleFolder(), path;
    if (folder.empty()) return path;
    for (const char* name : {"support.md", "README.md"}) {
        path = tooltext::JoinWidePath(folder, name);
        if (GetFileAttributesW(WideChars(path)) != INVALID_FILE_ATTRIBUTES) break;
    }
    return path;
}

// Each list's files beside the executable: its texts, and the exact forms of those the code
// page cannot hold.
struct ListFiles {
    const char* texts;
    const char* exactForms;
};

ListFiles FilesOf(ListKind kind) {
    return kind == ListKind::History ? ListFiles{".hst", ".hsu"} : ListFiles{".use", ".usu"};
}

const TextChain& ChainOf(const TextStore& store, ListKind kind) {
    return kind == ListKind::History ? store.history.chain : store.registered.chain;
}

// Which files of a list this run may write: none that exists but could not be read at start.
struct ListWritable {
    bool texts = true;
    bool exactForms = true;
};

// Queues the writes of one list's files; the history's only while its file is in use.
void SaveListFiles(const AppSettings& settings, const TextStore& store, ListKind kind,
                   ListWritable writable) {
    if (kind == ListKind::History && !settings.history.useHistoryFile) return;
    const std::u16string path = ModuleSiblingPath(FilesOf(kind).texts);
    if (!writable.texts || path.empty()) return;
    const std::u16string exactPath = ModuleSiblingPath(FilesOf(kind).exactForms);
    bool exact = writable.exactForms && !exactPath.empty();
    queueListSave(ChainOf(store, kind), path.c_str(), exact ? exactPath.c_str() : nullptr);
}

bool Readable(ListFileLoad load, const std::u16string& path) {
    if (load != ListFileLoad::Unreadable) return true;
    Trace("%s : not read, so it will not be written in this run\r\n", AnsiFromWide(path).c_str());
    return false;
}

// Loads one list's files. The exact forms are written only where their list's file is: an exact
// form without its text would be dropped at the next save anyway.
ListWritable LoadListFiles(TextStore& store, ListKind kind) {
    const std::u16string path = ModuleSiblingPath(FilesOf(kind).texts);
    if (path.empty()) return ListWritable{};
    const std::u16string exactPath = ModuleSiblingPath(FilesOf(kind).exactForms);
    bool exact = !exactPath.empty();
    ListFilesLoad load =
        loadListFiles(store, kind, path.c_str(), exact ? exactPath.c_str() : nullptr);
    ListWritable writable;
    writable.texts = Readable(load.texts, path);
    writable.exactForms = writable.texts && (!exact || Readable(load.exactForms, exactPath));
    return writable;
}

TextStore* CreateLoadedStore(const AppSettings* settings) {
    TextStore* store = createTextStore();
    if (!store) return nullptr;
    ListWritable registered = LoadListFiles(*store, ListKind::RegisteredTexts);
    ListWritable history = settings->history.useHistoryFile
                               ? LoadListFiles(*store, ListKind::History)
                               : ListWritable{};
    // Every change of a list is saved (a copy, a registration, the editor's OK): the search
    // window hears of each.
    store->saver = [settings, store, history, registered](ListKind kind) {
        SaveListFiles(*settings, *store, kind, kind == ListKind::History ? history : registered);
        NotifySearchWindowStoreChanged();
    };
    return store;
}

LRESULT OnCreate(HWND window, const CREATESTRUCTW* create) {
    AppSettings* settings = static_cast<AppSettings*>(create->lpCreateParams);
    SetPropA(window, PROP_APPINFO, settings);
    TextStore* store = CreateLoadedStore(settings);
    // Without a store no handler could work: refuse the window rather than limp along.
    if (!store) return -1;
    SetPropA(window, PROP_APPDATA, store);
    store->saver = ShareRegisteredSaves(store->saver);
    StartSharedFolder(window, *settings, *store);
    CreateMenuTips(window, settings->menu);
    if (!AddNotificationIcon(window)) return -1;
    ShowHistoryState(*settings);
    SetPropA(window, PROP_DIALOG, nullptr);
    SetCaptureIcon({SetIconTip, StartIconAnimation});
    JoinViewerChain(window, *settings);
    RegisterAllHotkeys(window, settings->hotkeys);
    return 0;
}

LRESULT OnDestroy(HWND window) {
    CloseSearchWindow();
    UnregisterAllHotkeys(window);
    LeaveViewerChain(window);
    RemoveNotificationIcon(window);
    RemovePropA(window, PROP_APPINFO);
    TextStore* store = static_cast<TextStore*>(RemovePropA(window, PROP_APPDATA));
    RemovePropA(window, PROP_DIALOG);
    DestroyMenuTips(window);
    // Earlier writes first, so that the last ones go out in this order: history, then texts.
    waitForListSaves();
    StopSharedFolder();  // its last exchange may change the registered texts written below
    if (store) {
        store->saver(ListKind::History);
        store->saver(ListKind::RegisteredTexts);
    }
    waitForListSaves();
    destroyTextStore(store);
    PostQuitMessage(0);
    return 0;
}

LRESULT OnQueryEndSession(HWND window) {
    if (TextStore* store = GetTextStore(window)) store->saver(ListKind::History);
    waitForListSaves();  // the session may end the process as soon as we answer
    return TRUE;
}

LRESULT OnHotkey(HWND window, WPARAM wParam) {
    HWND active = GetActiveWindow();
    SendMessageA(window, WM_COMMAND, LOWORD(wParam), 0);
    SetActiveWindow(active);
    return 0;
}

LRESULT OnInitMenuPopup(HWND window, HMENU menu) {
    if (const AppSettings* settings = GetAppSettings(window)) {
        CheckMenuItem(menu, IDM_HISTORY_ON_OFF,
                      MF_BYCOMMAND | (settings->history.useHistory ? MF_CHECKED : MF_UNCHECKED));
    }
    if (GetPropA(window, PROP_DIALOG)) {
        EnableMenuItem(menu, IDM_REGISTER_TEXT, MF_BYCOMMAND | MF_GRAYED);
        EnableMenuItem(menu, IDM_EDIT_REGISTERED, MF_BYCOMMAND | MF_GRAYED);
    }
    return 0;
}

void ShowCommandMenu(HWND window) {
    POINT point = ClampStoredPopupPoint(window);
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_COMMAND_MENU));
    if (!menu) return;
    SetForegroundWindow(window);
    TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, point.x, point.y,
                     window, nullptr);
    DestroyMenu(menu);
}

void ToggleHistory(HWND window) {
    AppSettings* settings = GetAppSettings(window);
    settings->history.useHistory = !settings->history.useHistory;
    ShowHistoryState(*settings);
}

void ClearHistoryCommand(HWND window) {
    if (TextStore* store = GetTextStore(window)) clearHistory(*store);
    NotifySearchWindowStoreChanged();
}

// The pad's modal loop may outlast the store (a quit meanwhile): it is looked up afterwards.
// A text that cannot be stored (every text id taken) is told, not silently dropped.
void RegisterTextCommand(HWND window) {
    std::optional<TextRow> row = ShowEditPad(window, nullptr);
    TextStore* store = GetTextStore(window);
    if (!row || !store) return;
    if (!registerText(*store, row->text.c_str(), row->exact)) TellTextNotRegistered(window);
}

// On OK the registered texts were replaced: write their file (the store looked up afresh).
void EditRegisteredTexts(HWND window) {
    TextStore* store = GetTextStore(window);
    if (!store || !ShowRegisteredTextDialog(window, *store)) return;
    if ((store = GetTextStore(window))) store->saver(ListKind::RegisteredTexts);
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AppSettings* settings = GetAppSettings(window);
    switch (LOWORD(wParam)) {
    case IDM_QUIT: DestroyWindow(window); return 0;
    case IDM_ABOUT: ShowAboutBox(window, SupportPagePath().c_str()); return 0;
    case IDM_SETTINGS: RunSettingsDialogCommand(window); return 0;
    case IDM_HOTKEYS: RunHotkeyDialogCommand(window); return 0;
    case IDM_SHARED_FOLDER: RunSharedFolderCommand(window); return 0;
    case IDM_REGISTER_TEXT: RegisterTextCommand(window); return 0;
    case IDM_EDIT_REGISTERED: EditRegisteredTexts(window); return 0;
    case IDM_IP_ADDRESS: RunIpAddressCommand(window); return 0;
    case IDM_DATE_TIME: RunDateTimeCommand(window, settings->dateFormat); return 0;
    case IDM_CLEAR_HISTORY: ClearHistoryCommand(window); return 0;
    case IDM_HISTORY_ON_OFF: ToggleHistory(window); return 0;
    case IDM_CLEAR_CLIPBOARD: ClearClipboard(window); return 0;
    case IDM_TEXT_MENU: ShowTextMenu(window, ClampStoredPopupPoint(window)); return 0;
    case IDM_COMMAND_MENU: ShowCommandMenu(window); return 0;
    case IDM_SEARCH_HISTORY: ShowSearchWindow(window); return 0;
    }
    if (ChooseText(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

POINT ClampStoredPopupPoint(HWND mainWindow) {
    MenuSettings& menu = GetAppSettings(mainWindow)->menu;
    std::vector<MonitorAreas> monitors = GetMonitorAreas();
    ClampPopupPoint(menu.menuX, menu.menuY, monitors.data(), monitors.size());
    return POINT{menu.menuX, menu.menuY};
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window, reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_DESTROY: return OnDestroy(window);
    case WM_QUERYENDSESSION: return OnQueryEndSession(window);
    case WM_COMMAND: return OnCommand(window, message, wParam, lParam);
    case WM_INITMENUPOPUP: return OnInitMenuPopup(window, reinterpret_cast<HMENU>(wParam));
    case WM_MENUSELECT:
        OnMenuSelect(window, wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_EXITMENULOOP:
        OnExitMenuLoop(window);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_MENURBUTTONUP: return OnMenuRButtonUp(window, wParam, lParam);
    case WM_DRAWCLIPBOARD: return OnDrawClipboard(window, wParam, lParam);
    case WM_CHANGECBCHAIN: return OnChangeClipboardChain(window, wParam, lParam);
    case WM_HOTKEY: return OnHotkey(window, wParam);
    case WM_APP_ICONCALLBACK: return OnIconCallback(window, wParam, lParam);
    case WM_APP_CLIPBOARDCHANGED: return OnClipboardChanged(window);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
