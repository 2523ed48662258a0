// The history search window: a modeless, always-on-top window that finds any registered or
// history text by the words typed into it and chooses it as the text menu does.
#pragma once

#include <windows.h>

// Opens the window over mainWindow at the cursor, or brings the open one forward.
void ShowSearchWindow(HWND mainWindow);

// Closes the open window, if any (the program is ending).
void CloseSearchWindow();
