// Menu tips: a tracking tooltip beside the cursor showing the whole text of the highlighted
// item of the text menu.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "app/appshell.h"
#include "menu/tiptext.h"
#include "menu/textmenu.h"
#include "settings/appsettings.h"
#include "store/textstore.h"
#include "sync/sharedfolder.h"
#include "TOOLS/toolsys.h"

namespace {

constexpr const char* PROP_TOOLTIPCTRL = "PROP_TOOLTIPCTRL";
constexpr const char* PROP_TOOLTIPTEXTPTR = "PROP_TOOLTIPTEXTPTR";
// The tool record without the application-data field: understood by every control version.
const UINT kToolInfoSize = TTTOOLINFOW_V1_SIZE;

// The tip limit is fixed for the run: it sized the buffer at creation.
int g_tipLimit = 0;
// The tip in UTF-16, as the control is given it; the control is told where it is.
std::u16string g_wideTip;

TOOLINFOW ToolRecord(HWND mainWindow, wchar_t* text) {
    TOOLINFOW tool = {};
    tool.cbSize = kToolInfoSize;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK;
    tool.hwnd = mainWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(mainWindow);
    tool.lpszText = text;
    return tool;
}

// A tracking tip ignores TTM_POP on some control versions: end the tracking too.
void HideTip(HWND mainWindow, HWND control) {
    TOOLINFOW tool = ToolRecord(mainWindow, nullptr);
    SendMessageA(control, TTM_POP, 0, 0);
    SendMessageW(control, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(control, TTM_ACTIVATE, FALSE, 0);
}

// Gives the control the tip's text: the exact form where the text has one, below the computer
// it came from where another one shared it.
void SetTipText(HWND mainWindow, HWND control, char* buffer, const char* text,
                const std::u16string* exact, const std::u16string& origin) {
    if (exact) {
        g_wideTip = TipTextW(g_tipLimit, *exact);
    } else {
        CopyTipText(buffer, g_tipLimit, text);
        g_wideTip = WideFromAnsi(buffer);
    }
    if (!origin.empty()) g_wideTip = TipFromComputer(origin, g_wideTip);
    TOOLINFOW tool = ToolRecord(mainWindow, WideChars(g_wideTip));
    SendMessageW(control, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ShowTip(HWND mainWindow, HWND control, char* buffer, const TextStore& store, int id,
             POINT cursor) {
    SendMessageA(control, TTM_SETMAXTIPWIDTH, 0, TipMaxWidth(GetSystemMetrics(SM_CXSCREEN)));
    SetTipText(mainWindow, control, buffer, textOfId(store, id), exactTextOfId(store, id),
               SharedHistoryOrigin(store, id));
    TipPoint at = TipPosition(cursor.x, cursor.y);
    SendMessageA(control, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageA(control, TTM_ACTIVATE, TRUE, 0);
    TOOLINFOW tool = ToolRecord(mainWindow, WideChars(g_wideTip));
    SendMessageW(control, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetWindowPos(control, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void UpdateTip(HWND mainWindow, int id, POINT cursor) {
    HWND control = static_cast<HWND>(GetPropA(mainWindow, PROP_TOOLTIPCTRL));
    char* buffer = static_cast<char*>(GetPropA(mainWindow, PROP_TOOLTIPTEXTPTR));
    const TextStore* store = GetTextStore(mainWindow);
    const char* text = store ? textOfId(*store, id) : nullptr;
    if (control && !text) HideTip(mainWindow, control);
    if (control && text && buffer)
        ShowTip(mainWindow, control, buffer, *store, id, cursor);
    SetForegroundWindow(mainWindow);
}

}  // namespace

void CreateMenuTips(HWND mainWindow, const MenuSettings& menu) {
    g_tipLimit = menu.menuTipChars;
    if (char* buffer = static_cast<char*>(std::calloc(TipBufferSize(g_tipLimit), 1)))
        SetPropA(mainWindow, PROP_TOOLTIPTEXTPTR, buffer);
    HWND control = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, mainWindow, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!control) return;
    SendMessageA(control, TTM_ACTIVATE, FALSE, 0);
    SetPropA(mainWindow, PROP_TOOLTIPCTRL, control);
    TOOLINFOW tool = ToolRecord(mainWindow, nullptr);
    SendMessageW(control, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void DestroyMenuTips(HWND mainWindow) {
    std::free(RemovePropA(mainWindow, PROP_TOOLTIPTEXTPTR));
    RemovePropA(mainWindow, PROP_TOOLTIPCTRL);
}

void OnMenuSelect(HWND mainWindow, WPARAM wParam, LPARAM lParam) {
    const AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings || !settings->menu.showMenuTips) return;
    POINT cursor = {};
    GetCursorPos(&cursor);
    bool highlighted = (HIWORD(wParam) & MF_HILITE) != 0;
    int id = TipItemId(lParam != 0, highlighted, LOWORD(wParam));
    UpdateTip(mainWindow, id, cursor);
}

void OnExitMenuLoop(HWND mainWindow) {
    if (HWND control = static_cast<HWND>(GetPropA(mainWindow, PROP_TOOLTIPCTRL)))
        HideTip(mainWindow, control);
}
