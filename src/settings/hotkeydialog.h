// The hotkey dialog: one hotkey control per command.
#pragma once

#include <windows.h>

#include "settings/hotkeys.h"

// Edits group in the modal dialog; the program's hotkeys are unregistered from owner while it is
// open and registered again afterwards with the values group then holds. True on OK. A second
// call while the dialog is open brings it forward and returns false.
bool ShowHotkeyDialog(HWND owner, HotkeySettings& group);
