// The text popup menu: building, tracking, choosing a text, menu tips and line transforms.
#pragma once

#include <windows.h>

struct AppSettings;
struct MenuSettings;
struct TextStore;

// Builds the text menu of the store as the user would see it; the caller destroys the
// returned menu (the loaded resource) and tracks its first popup. Null when the resource is
// missing.
HMENU BuildTextMenu(const TextStore& store, const AppSettings& settings);

// Builds and tracks the text menu at point (already clamped); returns when it closes.
void ShowTextMenu(HWND mainWindow, POINT point);

// A command id that is no command: puts the text with that id on the clipboard (and registers
// a history text when Shift is down; a text that cannot be registered is told in a message box
// owned by messageOwner, else by the main window). False when no text has the id.
bool ChooseText(HWND mainWindow, int id, HWND messageOwner = nullptr);

// Tells the user that a text could not be registered (every text id taken).
void TellTextNotRegistered(HWND owner);

// Menu tips: the tooltip control that shows the whole text of the highlighted item.
void CreateMenuTips(HWND mainWindow, const MenuSettings& menu);
void DestroyMenuTips(HWND mainWindow);
void OnMenuSelect(HWND mainWindow, WPARAM wParam, LPARAM lParam);
void OnExitMenuLoop(HWND mainWindow);
// The transform popup over a text item; closes the text menu.
LRESULT OnMenuRButtonUp(HWND mainWindow, WPARAM wParam, LPARAM lParam);
