// The shared-folder dialog: the folder and the count of shared history texts, with the machines
// seen in the folder and when each last wrote.
#pragma once

#include <windows.h>

struct SharedSettings;

// Edits shared in the modal dialog; true when it closed with OK (the record then holds the new
// values). A second call while the dialog is open brings it forward and returns false.
bool ShowSharedFolderDialog(HWND owner, SharedSettings& shared);
