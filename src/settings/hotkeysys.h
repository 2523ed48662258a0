// Hotkeys in the settings file and their registration with the system on a window.
#pragma once

#include <windows.h>

#include <string>

#include "settings/hotkeys.h"

// Defaults, the keys of older files, the hotkey section, then the duplicate rule. Always true.
bool LoadHotkeys(const std::u16string& path, HotkeySettings& group);

// Every row's slot under its key in the hotkey section. Always true.
bool SaveHotkeys(const HotkeySettings& group, const std::u16string& path);

// Registers hotkey under id on window, or unregisters id when the hotkey is unassigned. The
// result is the system's answer.
bool RegisterHotkeySlot(HWND window, int id, const Hotkey& hotkey);

// Every row with its command as id; a combination the system refuses stays unregistered.
void RegisterAllHotkeys(HWND window, const HotkeySettings& group);
void UnregisterAllHotkeys(HWND window);
