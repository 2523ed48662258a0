// The registered-text dialog: add, edit, delete and reorder the registered texts on a working
// copy that replaces them when the user confirms.
#pragma once

#include <windows.h>

struct TextStore;

// Opens the dialog modally over mainWindow on the store's registered texts. True exactly when the
// user confirmed with OK: the registered texts then hold the list's texts in its order, and the
// caller writes their file. False at once, showing nothing, while mainWindow carries PROP_DIALOG.
bool ShowRegisteredTextDialog(HWND mainWindow, TextStore& store);
