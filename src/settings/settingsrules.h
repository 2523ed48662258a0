// Rules of the settings dialog: the history-count check and the date-format preview. Pure: no
// platform calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "datefmt/datefmt.h"

enum class HistoryCountCheck { Valid, TooSmall, TooLarge };

// The count typed into the field, read as "%d" reads it. A text without a number is refused as
// too small: the field then shows the lower bound, the nearest usable value.
HistoryCountCheck CheckHistoryCount(const char* text, int32_t& count);

// The refusal's message format (one %d) and the bound it names and puts into the field.
const char* HistoryCountMessage(HistoryCountCheck check);
int32_t HistoryCountBound(HistoryCountCheck check);

// The tip text of a tooltip's display request (80 bytes with the NUL).
constexpr size_t kTipTextSize = 80;

// What the date command would produce at time with pattern, cut to tipSize - 1 bytes without
// splitting a double-byte character.
void FormatDatePreview(char* tip, size_t tipSize, const char* pattern,
                       const DateFormatter::LocalTime& time);
