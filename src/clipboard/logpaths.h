// Names of the clipboard log's month folder, day folder and file for one moment. Pure.
#pragma once

#include <cstddef>

// The local time of one clipboard change, as the clock gives it (hour 0 to 23).
struct LogTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// Longest path of the log tree in bytes; a longer name is cut to it.
constexpr size_t kLogPathMax = 520;

struct LogPaths {
    char monthFolder[kLogPathMax + 1];  // log folder '\' "YYYY-MM"
    char dayFolder[kLogPathMax + 1];    // month folder '\' "DD"
    char file[kLogPathMax + 1];         // day folder '\' "hhmmss" extension
};

// Fills the three paths. The backslash after logFolder is left out when it already ends with
// one (a trail byte 0x5C does not count). Each path is cut to kLogPathMax bytes without
// splitting a double-byte character and is always terminated. False when logFolder is empty
// or any path was cut: a cut name would put the log into some other file or folder.
bool BuildLogPaths(LogPaths* paths, const char* logFolder, const LogTime& time,
                   const char* extension);
