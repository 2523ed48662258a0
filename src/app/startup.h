// Process start: the path-copy mode and the resident run with its single-instance rule.
#pragma once

#include <windows.h>

#include <string>

struct AppSettings;

// The whole process after entry: arguments, trace, mode, exit code.
int RunQuillmate(HINSTANCE instance);

// Path-copy mode over argv[1..argc-1]; false only when memory runs out.
bool CopyPathsToClipboard(int argc, wchar_t** argv);
// The shell's full path of an existing file or folder.
bool NormalizePath(const wchar_t* argument, std::u16string& output);

int RunResident(HINSTANCE instance);
// The single-instance mutex, or null when another instance runs or the window failed.
HANDLE CreateMainWindow(HINSTANCE instance, AppSettings* settings);
void RegisterMainWindowClass(HINSTANCE instance);
HICON GetModuleShellIcon(HINSTANCE instance, bool large);
