// Process start: the path-copy mode and the resident run with its single-instance rule.
#pragma once

#include <windows.h>

struct AppSettings;

// The whole process after entry: split, trace, mode, exit code.
int RunQuillmate(HINSTANCE instance);

// Path-copy mode over argv[1..argc-1]; false only when memory runs out.
bool CopyPathsToClipboard(int argc, char** argv);
// The shell's full path of an existing file or folder into a 522-byte buffer.
bool NormalizePath(const char* argument, char* output);

int RunResident(HINSTANCE instance);
// The single-instance mutex, or null when another instance runs or the window failed.
HANDLE CreateMainWindow(HINSTANCE instance, AppSettings* settings);
void RegisterMainWindowClass(HINSTANCE instance);
HICON GetModuleShellIcon(HINSTANCE instance, bool large);
