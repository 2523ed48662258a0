// The hidden main window: owner of the run's records and dispatcher of every command.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Clamps the stored popup point into the primary screen and writes it back into the settings.
POINT ClampStoredPopupPoint(HWND mainWindow);
