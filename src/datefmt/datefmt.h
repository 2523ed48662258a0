// The date/time format engine: renders a local time record through the program's own
// printf-like format language into a caller's buffer. Pure: no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>

namespace DateFormatter {

// Same layout as the platform's SYSTEMTIME (eight unsigned 16-bit fields in this order), so the
// glue can copy GetLocalTime's result field by field or with memcpy.
struct LocalTime {
    uint16_t year;
    uint16_t month;      // 1..12
    uint16_t dayOfWeek;  // 0..6, 0 = Sunday
    uint16_t day;        // 1..31
    uint16_t hour;       // 0..23
    uint16_t minute;     // 0..59
    uint16_t second;     // 0..59
    uint16_t milliseconds;
};
static_assert(sizeof(LocalTime) == 16, "LocalTime must keep the SYSTEMTIME layout");

// Writes localTime rendered by formatText (NUL-terminated, Shift-JIS) into buffer: at most
// size-1 bytes and the terminating NUL, never a split double-byte character. What does not fit
// is dropped, so the result is always the longest fitting prefix of the full text. With size 0
// (or a null buffer) nothing is written; a null formatText yields the empty string.
void format(char* buffer, size_t size, const char* formatText, const LocalTime& localTime);

}  // namespace DateFormatter
