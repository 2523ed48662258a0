// What every subsystem needs of the main window: private messages, timer ids, property names
// and the accessors of the records it holds.
#pragma once

#include <windows.h>

struct AppSettings;
struct TextStore;

// Private messages of the main window.
constexpr UINT WM_APP_ICONCALLBACK = WM_APP + 1;      // notification icon mouse events
constexpr UINT WM_APP_CLIPBOARDCHANGED = WM_APP + 2;  // deferred clipboard change

// Timers of the main window, all served by callbacks.
constexpr UINT_PTR TIMER_TASKBAR_WATCH = 2;
constexpr UINT_PTR TIMER_CHAIN_REPAIR = 3;
constexpr UINT_PTR TIMER_ICON_ANIMATION = 4;
constexpr UINT_PTR TIMER_AUTO_CLEAR = 5;
constexpr UINT_PTR TIMER_ICON_TIP = 7;
constexpr UINT_PTR TIMER_SHARED_FOLDER = 8;

// Window properties of the main window.
constexpr const char* PROP_APPINFO = "PROP_APPINFO";
constexpr const char* PROP_APPDATA = "PROP_APPDATA";
constexpr const char* PROP_DIALOG = "PROP_DIALOG";

constexpr const char* MAIN_WINDOW_CLASS = "Quillmate";
constexpr const char* MAIN_WINDOW_NAME = "Quillmate";
constexpr const wchar_t* kMainWindowClassW = L"Quillmate";
constexpr const wchar_t* kMainWindowNameW = L"Quillmate";

inline AppSettings* GetAppSettings(HWND mainWindow) {
    return static_cast<AppSettings*>(GetPropA(mainWindow, PROP_APPINFO));
}
inline TextStore* GetTextStore(HWND mainWindow) {
    return static_cast<TextStore*>(GetPropA(mainWindow, PROP_APPDATA));
}
