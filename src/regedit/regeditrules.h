// Rules of the registered-text editor: item display strings, button states, the index
// arithmetic of moving list items and the no-drop cursor's pixels. Pure: no platform calls.
#pragma once

#include <string>
#include <string_view>

// The list never offers to add beyond this many items.
constexpr int kMaxRegisteredItems = 4095;

// What a list item shows of its full text: control bytes dropped, at most 256 bytes, one fewer
// when the 256th would be the lead byte of a double-byte character; no marker is added.
std::string RegisteredTextDisplayString(const char* text);
// What a list item (and a row of the history search) shows of an exact text: control characters
// dropped, at most 256 code units, one fewer rather than split a surrogate pair.
std::u16string WideDisplayString(std::u16string_view text);

struct RegisteredTextButtons {
    bool add;
    bool edit;
    bool remove;
};

// Add while the list has room, edit and delete while it holds anything.
RegisteredTextButtons RegisteredTextButtonStates(int count);

// Moving item `from` before the item now at `to` (to == count: after the last). The copy is
// inserted first and the original deleted afterwards, so a failed insert loses nothing.
struct ItemMove {
    int insertAt;  // index of the copy, counted before the original is deleted
    int deleteAt;  // index of the original once the copy is in
    int result;    // index of the moved item at the end
};
ItemMove PlanItemMove(int from, int to);

// The insertion index of an Alt+arrow move of the selected item (step -1 up, +1 down), or -1
// when the item or its neighbour in that direction is no valid index.
int KeyboardMoveTarget(int selected, int count, int step);

// The insertion index under a point y pixels below the top of the client area; -1 when the
// item height is unknown. Past the last item it is the count (append).
int InsertionIndexAt(int y, int topIndex, int itemHeight, int count);

// The item selected after deleting item `deleted`, `remaining` items left: with Backspace the
// one above (the first when it was the first), otherwise the same index or the new last item;
// -1 when the list is empty.
int SelectionAfterDelete(int deleted, int remaining, bool backspace);

// The no-drop cursor: 32 × 32 pixels, four bytes per row, top row first, leftmost pixel in the
// highest bit. An AND bit 1 keeps the screen; with AND 0 an XOR bit 1 is white, 0 black.
constexpr int kNoDropCursorSize = 32;
constexpr int kNoDropCursorHotSpot = 15;
constexpr int kNoDropPlaneBytes = kNoDropCursorSize * kNoDropCursorSize / 8;
void BuildNoDropCursorPlanes(unsigned char andPlane[kNoDropPlaneBytes],
                             unsigned char xorPlane[kNoDropPlaneBytes]);
