// The settings dialog: edits the settings record, with a live preview of the date format.
#pragma once

#include <windows.h>

struct AppSettings;

// Edits settings in the modal dialog; true when it closed with OK (the record then holds the new
// values). A second call while the dialog is open brings it forward and returns false.
bool ShowSettingsDialog(HWND owner, AppSettings& settings);
