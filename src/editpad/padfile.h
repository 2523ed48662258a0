// Text files of the edit pad: loading one into the edit control and writing the control's text.
#pragma once

#include <windows.h>

#include <string>

// Replaces the edit control's text with the file's bytes as they are (no code-page or line-end
// conversion), up to the first NUL byte. When the file cannot be opened or read whole, the
// control keeps what the user typed and false is returned.
bool LoadTextFileInto(HWND edit, const char* path);

// Writes bytes to path through a flushed temporary in the same folder that then replaces path in
// one step. On any failure path keeps its old bytes (or stays absent), no temporary is left and
// false is returned.
bool WriteWholeTextFile(const char* path, const std::string& bytes);

// Writes the edit control's text to path; a failure is told to the user with a message box over
// dialog captioned "テキストをファイルへ出力".
bool SaveEditTextTo(HWND dialog, HWND edit, const char* path);
