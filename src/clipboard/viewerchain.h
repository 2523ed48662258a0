// Membership of the clipboard viewer chain, its watchdog, the deferred change and auto-clear.
#pragma once

#include <windows.h>

struct AppSettings;

// How a change shows on the notification icon; the main window hands its icon operations in,
// so the capture needs nothing of the application shell beyond its shared header.
struct CaptureIcon {
    void (*setTip)(const char* text);
    void (*animate)(HWND mainWindow);
};
void SetCaptureIcon(const CaptureIcon& icon);

// Joins the chain and starts the repair timer; gives the next viewer.
HWND JoinViewerChain(HWND mainWindow, const AppSettings& settings);
void LeaveViewerChain(HWND mainWindow);
void ForwardToNextViewer(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam);
void RestartRepairTimer(HWND mainWindow, UINT intervalMs);
void StopRepairTimer(HWND mainWindow);
void StartClearTimer(HWND mainWindow, const AppSettings& settings);

LRESULT OnDrawClipboard(HWND mainWindow, WPARAM wParam, LPARAM lParam);
LRESULT OnChangeClipboardChain(HWND mainWindow, WPARAM wParam, LPARAM lParam);
LRESULT OnClipboardChanged(HWND mainWindow);

// For tests: the window that follows the main window in the chain.
HWND NextViewer();
