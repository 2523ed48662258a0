// Rules of the menu tip without windows: its text buffer, width, place and which item it shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Bytes of the tip buffer for a tip limit: the limit plus the terminating NUL.
size_t TipBufferSize(int tipLimit);

// Copies text into a buffer of TipBufferSize(tipLimit) bytes: at most tipLimit bytes, one fewer
// rather than split a double-byte character, always terminated. Returns the bytes copied.
size_t CopyTipText(char* buffer, int tipLimit, const char* text);
// The tip of an exact text: at most tipLimit UTF-16 units, one fewer rather than split a
// surrogate pair.
std::u16string TipTextW(int tipLimit, std::u16string_view text);

// The tip of a history text that came from another computer: a first line names it.
std::u16string TipFromComputer(std::u16string_view computer, std::u16string_view tip);

// Widest tip in pixels: long texts wrap at 7/8 of the screen width.
int TipMaxWidth(int screenWidth);

struct TipPoint {
    int x;
    int y;
};

// The tip sits right of and below the mouse, whatever item is highlighted.
TipPoint TipPosition(int cursorX, int cursorY);

// The id a highlight change asks the tip for: the item id while an item of a menu is
// highlighted, -1 when the menu closes or nothing is highlighted.
int TipItemId(bool hasMenu, bool highlighted, unsigned itemId);
