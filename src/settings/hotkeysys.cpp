// Hotkeys in the settings file and their registration with the system.
#include "settings/hotkeysys.h"

#include "settings/settingsfile.h"

namespace {

void ReadSlot(const char* section, const char* key, const std::u16string& path, Hotkey& slot) {
    slot = DecodeHotkey(ReadProfileInt(section, key, path, EncodeHotkey(slot)));
}

}  // namespace

bool LoadHotkeys(const std::u16string& path, HotkeySettings& group) {
    SetDefaultHotkeys(group);
    // Older files kept some hotkeys in the program's own section; the newer of the two names of
    // the registered-text hotkey is read last so that it wins.
    ReadSlot(kMainSection, "履歴を表示", path, group.slots[0]);
    ReadSlot(kMainSection, "メニューを表示", path, group.slots[1]);
    ReadSlot(kMainSection, "「よく使うテキストの登録」を表示", path, group.slots[2]);
    ReadSlot(kMainSection, "「登録テキストの編集」を表示", path, group.slots[2]);
    for (const HotkeyBinding& row : HotkeyTable) {
        ReadSlot(kHotkeySection, row.key, path, group.slots[row.slot]);
    }
    DropDuplicateHotkeys(group);
    return true;
}

bool SaveHotkeys(const HotkeySettings& group, const std::u16string& path) {
    for (const HotkeyBinding& row : HotkeyTable) {
        WriteProfileInt(kHotkeySection, row.key, path, EncodeHotkey(group.slots[row.slot]));
    }
    return true;
}

bool RegisterHotkeySlot(HWND window, int id, const Hotkey& hotkey) {
    if (IsEmptyHotkey(hotkey)) return UnregisterHotKey(window, id) != FALSE;
    return RegisterHotKey(window, id, SystemHotkeyModifiers(hotkey), hotkey.virtualKey & 0xFF) !=
           FALSE;
}

void RegisterAllHotkeys(HWND window, const HotkeySettings& group) {
    for (const HotkeyBinding& row : HotkeyTable) {
        RegisterHotkeySlot(window, row.command, group.slots[row.slot]);
    }
}

void UnregisterAllHotkeys(HWND window) {
    for (const HotkeyBinding& row : HotkeyTable) UnregisterHotKey(window, row.command);
}
