// The notification icon: history state, tip, animation, task bar watch and clicks.
#pragma once

#include <windows.h>

struct AppSettings;

// Loads the icons and adds the icon, waiting up to a minute for the task bar; starts the
// task bar watch. False when the task bar never accepted it.
bool AddNotificationIcon(HWND mainWindow);
void RemoveNotificationIcon(HWND mainWindow);
// Base icon by useHistory.
void ShowHistoryState(const AppSettings& settings);
// Tip from a text (may be empty); the shell is told only when the tip changes, and at most once
// per pause of 100 ms (a tip set during the pause is sent at its end).
void SetIconTip(const char* text);
void StartIconAnimation(HWND mainWindow);
LRESULT OnIconCallback(HWND mainWindow, WPARAM wParam, LPARAM lParam);

// For tests: the icon resource id now shown, the tip now held, and the tip the shell was last
// told.
int CurrentIconResourceId();
const char* CurrentIconTip();
const char* ShownIconTip();
// For tests: the attempts and their pause of the first add (61 and 1000 ms in the program).
void SetNotificationIconRetry(int attempts, DWORD pauseMs);
