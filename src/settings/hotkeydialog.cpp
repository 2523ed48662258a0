// The hotkey dialog: fills ten hotkey controls from the group, refuses duplicate combinations
// and stores the controls' values on OK.
#include "settings/hotkeydialog.h"

#include <commctrl.h>

#include "TOOLS/toolwind.h"
#include "resource.h"
#include "settings/hotkeysys.h"

namespace {

const char* const kCaption = "ホットキーの設定";

// The controls and the slots they edit; the duplicate check compares in this order.
struct HotkeyControl {
    int id;
    size_t slot;
};

constexpr HotkeyControl kControls[kHotkeySlotCount] = {
    {IDC_HOTKEY_TEXT_MENU, 0},       {IDC_HOTKEY_COMMAND_MENU, 1},
    {IDC_HOTKEY_EDIT_REGISTERED, 2}, {IDC_HOTKEY_REGISTER_TEXT, 3},
    {IDC_HOTKEY_DATE_TIME, 4},       {IDC_HOTKEY_IP_ADDRESS, 5},
    {IDC_HOTKEY_CLEAR_CLIPBOARD, 6}, {IDC_HOTKEY_HISTORY_ON_OFF, 7},
    {IDC_HOTKEY_CLEAR_HISTORY, 8},   {IDC_HOTKEY_SEARCH, 9},
};

SingleDialog g_dialog = {};

HotkeySettings* GroupOf(HWND dialog) {
    return static_cast<HotkeySettings*>(GetPropA(dialog, PROP_DIALOGPARAM));
}

Hotkey ControlHotkey(HWND dialog, int id) {
    LRESULT value = SendDlgItemMessageA(dialog, id, HKM_GETHOTKEY, 0, 0);
    return HotkeyFromControlValue(static_cast<uint32_t>(value & 0xFFFF));
}

void FillHotkeyControls(HWND dialog, const HotkeySettings& group) {
    for (const HotkeyControl& c : kControls) {
        // A key typed without a modifier becomes Ctrl+Alt+key: a bare key would swallow typing.
        SendDlgItemMessageA(dialog, c.id, HKM_SETRULES, HKCOMB_NONE,
                            MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
        SendDlgItemMessageA(dialog, c.id, HKM_SETHOTKEY,
                            ControlValueFromHotkey(group.slots[c.slot]), 0);
    }
}

void ReadHotkeyControls(HWND dialog, HotkeySettings& group) {
    for (const HotkeyControl& c : kControls) group.slots[c.slot] = ControlHotkey(dialog, c.id);
}

bool CheckHotkeyDuplicates(HWND dialog) {
    Hotkey values[kHotkeySlotCount];
    for (size_t i = 0; i < kHotkeySlotCount; ++i)
        values[i] = ControlHotkey(dialog, kControls[i].id);
    size_t first = FirstDuplicateHotkey(values, kHotkeySlotCount);
    if (first == kHotkeySlotCount) return true;
    BeepMessageBox(dialog, "ホットキーが重複しています。\n異なるホットキーを割り当ててください。",
                   kCaption, MB_OK);
    FocusDialogItem(dialog, kControls[first].id);
    return false;
}

INT_PTR OnInitDialog(HWND dialog, LPARAM param) {
    AttachDialogRecord(dialog, g_dialog, param);
    FillHotkeyControls(dialog, *reinterpret_cast<HotkeySettings*>(param));
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK:
        if (!CheckHotkeyDuplicates(dialog)) return TRUE;
        ReadHotkeyControls(dialog, *GroupOf(dialog));
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, lParam);
    case WM_COMMAND: return OnCommand(dialog, wParam);
    case WM_CLOSE: AskSaveOnClose(dialog, kCaption); return TRUE;
    case WM_NCHITTEST: return HitTestClientAsCaption(dialog, wParam, lParam);
    case WM_DESTROY: DetachDialogRecord(dialog, g_dialog); return FALSE;
    }
    return FALSE;
}

}  // namespace

bool ShowHotkeyDialog(HWND owner, HotkeySettings& group) {
    if (BringForwardIfOpen(g_dialog)) return false;
    // Unregistered while open, so pressing one of the program's hotkeys reaches the control.
    UnregisterAllHotkeys(owner);
    INT_PTR result = RunSingleDialog(g_dialog, IDD_HOTKEYS, owner, HotkeyDialogProc, &group);
    RegisterAllHotkeys(owner, group);
    return result == IDOK;
}
