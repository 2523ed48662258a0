// The commands that open the settings, hotkey and shared-folder dialogs and save what they confirm at once.
#pragma once

#include <windows.h>

void RunSettingsDialogCommand(HWND mainWindow);
void RunHotkeyDialogCommand(HWND mainWindow);
void RunSharedFolderCommand(HWND mainWindow);
