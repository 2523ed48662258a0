// Rules of the registered-text editor: display strings, button states, move arithmetic, the
// no-drop cursor's pixels.
#include "regedit/regeditrules.h"

#include <cstring>

#include "TOOLS/tooltext.h"

namespace {

constexpr size_t kDisplayKeep = 257;  // one more than shown, to see whether the text goes on
constexpr size_t kDisplayMax = 256;

}  // namespace

std::string RegisteredTextDisplayString(const char* text) {
    std::string kept;
    if (!text) return kept;
    for (const char* p = text; *p && kept.size() < kDisplayKeep; ++p) {
        if (!tooltext::IsControlByte(static_cast<unsigned char>(*p))) kept.push_back(*p);
    }
    if (kept.size() == kDisplayKeep) {
        bool leadAtCut = tooltext::KindOfByteAt(kept.c_str(), kDisplayMax - 1) ==
                         tooltext::ByteKind::Lead;
        kept.resize(leadAtCut ? kDisplayMax - 1 : kDisplayMax);
    }
    return kept;
}

std::u16string WideDisplayString(std::u16string_view text) {
    std::u16string shown;
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F) continue;
        shown.push_back(c);
        if (shown.size() > kDisplayMax) break;  // one more, to see whether the cut splits a pair
    }
    shown.resize(tooltext::WideCutLength(shown.data(), shown.size(), kDisplayMax));
    return shown;
}

RegisteredTextButtons RegisteredTextButtonStates(int count) {
    return RegisteredTextButtons{count < kMaxRegisteredItems, count > 0, count > 0};
}

ItemMove PlanItemMove(int from, int to) {
    if (from < to) return ItemMove{to, from, to - 1};
    return ItemMove{to, from + 1, to};
}

int KeyboardMoveTarget(int selected, int count, int step) {
    int neighbour = selected + step;
    if (selected < 0 || selected >= count || neighbour < 0 || neighbour >= count) return -1;
    return step < 0 ? neighbour : selected + 2;
}

int InsertionIndexAt(int y, int topIndex, int itemHeight, int count) {
    if (itemHeight <= 0 || y < 0) return -1;
    int t = topIndex + y / itemHeight;
    return t > count ? count : t;
}

int SelectionAfterDelete(int deleted, int remaining, bool backspace) {
    if (remaining <= 0) return -1;
    if (backspace) return deleted > 0 ? deleted - 1 : 0;
    return deleted < remaining ? deleted : remaining - 1;
}

void BuildNoDropCursorPlanes(unsigned char andPlane[kNoDropPlaneBytes],
                             unsigned char xorPlane[kNoDropPlaneBytes]) {
    std::memset(andPlane, 0xFF, kNoDropPlaneBytes);
    std::memset(xorPlane, 0x00, kNoDropPlaneBytes);
    // Distances in half pixels from the sign's centre, the corner shared by pixels 15 and 16,
    // so the sign fills rows and columns 6 to 25 symmetrically.
    for (int y = 0; y < kNoDropCursorSize; ++y) {
        for (int x = 0; x < kNoDropCursorSize; ++x) {
            int dx = 2 * x + 1 - 32, dy = 2 * y + 1 - 32;
            int r2 = dx * dx + dy * dy;             // (2 × radius) squared
            int bar = dx > dy ? dx - dy : dy - dx;  // grows with the distance from the diagonal
            // A ring of radius 6.5 to 8.5 and a bar about three pixels wide inside it, black;
            // one white pixel around both.
            bool black = (r2 >= 13 * 13 && r2 <= 17 * 17) || (r2 < 13 * 13 && bar <= 4);
            bool white = !black && r2 <= 20 * 20 && (r2 >= 11 * 11 || bar <= 7);
            if (!black && !white) continue;
            int bit = y * 4 + x / 8;
            unsigned char mask = static_cast<unsigned char>(0x80 >> (x % 8));
            andPlane[bit] &= static_cast<unsigned char>(~mask);
            if (white) xorPlane[bit] |= mask;
        }
    }
}
