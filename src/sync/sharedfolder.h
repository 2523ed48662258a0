// The shared folder on the main window's thread: this machine's own file in it, the other
// machines' files read and merged into the registered texts, the folder watched and re-read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/textstore.h"

struct AppSettings;

// Gives settings a machine id made on this computer (a new one, written to the settings file
// at once, when it holds none or one made on another computer).
void EnsureMachineId(AppSettings& settings, const std::u16string& settingsPath);

// Starts sharing the registered texts of store through the folder of settings (nothing when it
// is empty), the machine id ensured first: the folder is read at once, then watched. settings
// and store outlive the run; a run already going is stopped first.
void StartSharedFolder(HWND mainWindow, AppSettings& settings, TextStore& store);
// A last exchange with the folder, then the watch ends.
void StopSharedFolder();

// A saver that writes as save does and then has the shared folder take the registered texts'
// change, soon after on the window's thread.
TextStoreSaver ShareRegisteredSaves(TextStoreSaver save);

// A text the capture just put into the History: this machine's copy, shared with its time where
// recent copies are shared (a registered text, never in the History, is not).
void NoteSharedHistoryCopy(const TextStore& store, const char* text, const ExactText& exact);
// The computer a History entry came from through the folder; empty for this machine's own.
std::u16string SharedHistoryOrigin(const TextStore& store, int id);

// What the dialog shows of the folder.
struct SharedMachine {
    std::u16string computer;
    uint64_t machine = 0;
    int64_t written = 0;  // seconds since 1970 (UTC)
};
struct SharedFolderStatus {
    bool on = false;
    bool reachable = false;
    std::vector<SharedMachine> machines;     // every machine whose file was read, this one too
    std::vector<std::u16string> newerFiles;  // files of a later format, left alone
};
SharedFolderStatus GetSharedFolderStatus();

// A code-page text (a path of the settings file) as the W functions take it.
std::u16string WideFrom932(const char* text);
