// Text files of the edit pad: loading one into the edit control and writing the control's text.
#pragma once

#include <windows.h>

#include <string>

// Replaces the edit control's text with the file's Shift-JIS text (no line-end conversion), up to
// the first NUL byte. When the file cannot be opened or read whole, the
// control keeps what the user typed and false is returned.
bool LoadTextFileInto(HWND edit, const char16_t* path);

// Writes bytes to path through a flushed temporary in the same folder that then replaces path in
// one step. On any failure path keeps its old bytes (or stays absent), no temporary is left and
// false is returned.
bool WriteWholeTextFile(const char16_t* path, const std::string& bytes);

// Writes the edit control's text to path as Shift-JIS. When code page 932 cannot hold all of it,
// the user is asked first and may cancel (nothing is written then); a failure is told to the user
// with a message box over dialog captioned "テキストをファイルへ出力".
bool SaveEditTextTo(HWND dialog, HWND edit, const char16_t* path);
