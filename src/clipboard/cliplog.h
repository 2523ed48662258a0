// Clipboard log files: texts as .txt and bitmaps as .bmp in a dated folder tree below the log
// folder. Every failure is silent; the caller may ignore the results.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "clipboard/logpaths.h"

// Opens "<log folder>\YYYY-MM\DD\hhmmss<extension>" for the local time now, with mode "wb";
// the folder is a path in UTF-16, as any folder name may be.
// The log folder is created when missing (one level only: its parent must exist); the month
// and day folders are created as needed. Null when the folder is empty, a path is too long,
// a level exists as a file or cannot be created, or the file cannot be opened.
FILE* OpenLogFile(const std::u16string& logFolder, const char* extension);

// OpenLogFile for a given moment instead of the clock's.
FILE* OpenLogFileAt(const std::u16string& logFolder, const char* extension, const LogTime& time);

// Writes the text's bytes before its first NUL (at most size bytes) to a new .txt file.
// True when every byte was written and the file closed.
bool WriteTextLog(const std::u16string& logFolder, const char* text, size_t size);

// Writes a CF_DIB block of size bytes as a .bmp file. A block whose parts do not all lie
// inside it, or that makes no sense, writes nothing (no file is created). True when the whole
// file was written and closed.
bool WriteBitmapLog(const char* dib, size_t size, const std::u16string& logFolder);
