// The history search window: a modeless, always-on-top window that finds any registered or
// history text by the words typed into it and chooses it as the text menu does.
#pragma once

#include <windows.h>

// Opens the window over mainWindow at the cursor, or brings the open one forward.
void ShowSearchWindow(HWND mainWindow);

// Closes the open window, if any (the program is ending).
void CloseSearchWindow();

// The store changed (a copy, a removal, a registration, the editor's OK, a clearing): the open
// window matches again, keeping its highlight on the same text. Nothing when it is closed.
void NotifySearchWindowStoreChanged();

// Lets the open window's dialog keys (Enter, Esc, Tab) work in the message loop: true when the
// message was the window's and is handled.
bool IsSearchWindowMessage(MSG* message);
