// The text popup menu: built from the registered texts and the history, tracked at the popup
// point; a chosen item's text goes back on the clipboard.
#include "menu/textmenu.h"

#include "app/appshell.h"
#include "clipboard/viewerchain.h"
#include "menu/menulayout.h"
#include "resource.h"
#include "settings/appsettings.h"
#include "store/textstore.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"

namespace {

constexpr UINT kChoiceRepairMs = 3000;

ListKind KindOf(MenuSection section) {
    return section == MenuSection::History ? ListKind::History : ListKind::RegisteredTexts;
}

void AppendPlanItem(HMENU popup, const TextStore& store, const MenuPlanItem& item, int budget) {
    UINT breakFlag = item.columnBreak ? MF_MENUBARBREAK : 0;
    switch (item.kind) {
    case MenuItemKind::Separator:
        AppendMenuW(popup, MF_SEPARATOR | breakFlag, 0, nullptr);
        return;
    case MenuItemKind::Placeholder:
        AppendMenuW(popup, MF_STRING | MF_GRAYED | MF_DISABLED | breakFlag, 0,
                    WideChars(WideFromAnsi(kMenuPlaceholderText)));
        return;
    case MenuItemKind::Text: {
        int id = idAt(store, KindOf(item.section), item.index);
        const TextEntry* entry = entryOfId(store, id);
        if (!entry) return;
        const UINT_PTR itemId = static_cast<UINT_PTR>(id);
        withTextForm(
            *entry,
            [&](const std::u16string& exact) {
                std::u16string label = BuildMenuLabelW(exact, budget);
                AppendMenuW(popup, MF_STRING | breakFlag, itemId, WideChars(label));
            },
            [&](const std::string& bytes) {
                std::string label = BuildMenuLabel(bytes.c_str(), budget);
                AppendMenuW(popup, MF_STRING | breakFlag, itemId, WideChars(WideFromAnsi(label)));
            });
        return;
    }
    }
}

}  // namespace

HMENU BuildTextMenu(const TextStore& store, const AppSettings& settings) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TEXT_MENU));
    if (!menu) return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    DeleteMenu(popup, IDM_TEXT_NONE, MF_BYCOMMAND);

    TextMenuInput input;
    input.registeredCount = listCount(store, ListKind::RegisteredTexts);
    input.historyEntries = listCount(store, ListKind::History);
    input.historyCount = settings.history.historyCount;
    input.registeredOnTop = settings.menu.registeredOnTop;
    input.newestOnTop = settings.menu.newestOnTop;
    input.labelChars = settings.menu.labelChars;
    input.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    input.menuItemHeight = GetSystemMetrics(SM_CYMENU);
    TextMenuPlan plan = PlanTextMenu(input);
    for (const MenuPlanItem& item : plan.items)
        AppendPlanItem(popup, store, item, plan.columns.labelBudget);
    return menu;
}

void ShowTextMenu(HWND mainWindow, POINT point) {
    const TextStore* store = GetTextStore(mainWindow);
    const AppSettings* settings = GetAppSettings(mainWindow);
    if (!store || !settings) return;
    HMENU menu = BuildTextMenu(*store, *settings);
    if (!menu) return;
    SetForegroundWindow(mainWindow);
    TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, point.x, point.y,
                     mainWindow, nullptr);
    DestroyMenu(menu);
}

bool ChooseText(HWND mainWindow, int id, HWND messageOwner) {
    TextStore* store = GetTextStore(mainWindow);
    const char* text = store ? textOfId(*store, id) : nullptr;
    if (!text) return false;
    StopRepairTimer(mainWindow);
    RestartRepairTimer(mainWindow, kChoiceRepairMs);
    const std::u16string* exact = exactTextOfId(*store, id);
    if (!SetClipboardText(mainWindow, text, exact)) return true;
    if (GetKeyState(VK_SHIFT) >= 0 || !isHistoryId(*store, id)) return true;
    if (!registerText(*store, text, sharedExactTextOfId(*store, id)))
        TellTextNotRegistered(messageOwner ? messageOwner : mainWindow);
    return true;
}

void TellTextNotRegistered(HWND owner) {
    BeepMessageBox(owner,
                   "テキストを登録できませんでした。\n"
                   "テキストの数が上限に達しています。\n"
                   "履歴をクリアしてから、もう一度登録してください。",
                   "テキストの登録", MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}
