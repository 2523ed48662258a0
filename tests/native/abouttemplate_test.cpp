// The about box's pure parts: dialog template words and the hand cursor's planes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "about/dlgtemplate.h"
#include "about/handcursor.h"

namespace {

using Words = std::vector<uint16_t>;

DialogHeader TwoItemHeader() {
    DialogHeader h;
    h.style = 0x12345678;
    h.exStyle = 9;
    h.x = 1;
    h.y = -2;
    h.cx = 38;
    h.cy = 56;
    h.title = u"Ab";
    h.fontName = u"F";
    h.pointSize = 9;
    return h;
}

std::vector<DialogItem> TwoItems() {
    DialogItem icon;
    icon.windowClass = NameOrdinal(0x0082);
    icon.style = 0x10000003;
    icon.x = 7, icon.y = 7, icon.cx = 20, icon.cy = 21, icon.id = 100;
    DialogItem edit;
    edit.windowClass = NameString(u"Edit");
    edit.text = NameOrdinal(5);
    edit.style = 0x00010000;
    edit.exStyle = 0x200;
    edit.x = 45, edit.y = 35, edit.cx = 45, edit.cy = 14, edit.id = 1;
    return {icon, edit};
}

TEST(DialogTemplate, HeaderAndTwoItemsMatchHandCountedWords) {
    // clang-format off
    const Words expected = {
        0x5678, 0x1234, 9, 0, 2, 1, 0xFFFE, 38, 56,  // style, ex style, count, x y cx cy
        0, 0, 'A', 'b', 0,                           // no menu, default class, title
        9, 'F', 0,                                   // point size, font name
        0,                                           // 17 words: pad to 32 bits
        0x0003, 0x5000, 0, 0, 7, 7, 20, 21, 100,     // WS_CHILD added
        0xFFFF, 0x0082, 0, 0,                        // atom class, empty text, no data
        0,                                           // 31 words: pad
        0x0000, 0x4001, 0x0200, 0, 45, 35, 45, 14, 1,
        'E', 'd', 'i', 't', 0, 0xFFFF, 5, 0,  // class name, ordinal text, no data
        0,                                    // 49 words: the final pad
    };
    // clang-format on
    EXPECT_EQ(BuildDialogTemplate(TwoItemHeader(), TwoItems()), expected);
}

TEST(DialogTemplate, HeaderFieldsWithoutItems) {
    struct Case {
        TemplateName menu, windowClass;
        Words tail;  // after the nine fixed header words
    };
    const Case cases[] = {
        // 14 words: even, no pad.
        {NameOrdinal(3), NameString(u"C"), {0xFFFF, 3, 'C', 0, 0}},
        // 13 words and one pad word.
        {TemplateName{}, NameString(u"C"), {0, 'C', 0, 0, 0}},
        // A null string counts as absent.
        {NameString(nullptr), NameOrdinal(0x8002), {0, 0xFFFF, 0x8002, 0, 0}},
    };
    for (const Case& c : cases) {
        DialogHeader h;
        h.menu = c.menu;
        h.windowClass = c.windowClass;
        Words expected(9, 0);
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(BuildDialogTemplate(h, {}), expected);
    }
}

TEST(HandCursor, PlanesPutTheLeftmostPixelInTheHighBit) {
    unsigned char andPlane[kHandCursorPlaneBytes], xorPlane[kHandCursorPlaneBytes];
    BuildHandCursorPlanes(andPlane, xorPlane);
    // Row 0: the black tip at x 7 and 8 (the hot spot); row 1: black, white, white, black.
    const unsigned char andRows[2][4] = {{0xFE, 0x7F, 0xFF, 0xFF}, {0xFC, 0x3F, 0xFF, 0xFF}};
    const unsigned char xorRows[2][4] = {{0x00, 0x00, 0x00, 0x00}, {0x01, 0x80, 0x00, 0x00}};
    for (int row = 0; row < 2; ++row) {
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(andPlane[row * 4 + b], andRows[row][b]) << "row " << row << " byte " << b;
            EXPECT_EQ(xorPlane[row * 4 + b], xorRows[row][b]) << "row " << row << " byte " << b;
        }
    }
    int opaque = 0;
    for (int y = 0; y < kHandCursorSize; ++y) {
        for (int x = 0; x < kHandCursorSize; ++x) {
            bool transparent = andPlane[y * 4 + x / 8] & (0x80 >> (x % 8));
            if (transparent) continue;
            ++opaque;
            EXPECT_TRUE(x < 18 && y < 22) << "opaque pixel outside the hand at " << x << "," << y;
        }
    }
    EXPECT_GT(opaque, 100);
}

}  // namespace
