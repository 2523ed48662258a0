// Rules of the registered-text editor: the display-string cut, the move arithmetic, the button
// table and the no-drop cursor's planes.
#include <gtest/gtest.h>

#include <string>

#include "regedit/regeditrules.h"

namespace {

TEST(DisplayString, DropsControlBytesAndCutsWithoutSplittingACharacter) {
    const std::string sjisA = "\x82\xa0";  // あ: lead byte 0x82
    struct Case {
        const char* what;
        std::string text;
        std::string shown;
    } cases[] = {
        {"empty", "", ""},
        {"line breaks, tab and DEL vanish", "a\r\nb\tc\x7f" "d\x1f", "abcd"},
        {"double-byte text kept whole", sjisA + "x" + sjisA, sjisA + "x" + sjisA},
        {"256 plain bytes stay", std::string(256, 'a'), std::string(256, 'a')},
        {"300 plain bytes show 256", std::string(300, 'a'), std::string(256, 'a')},
        // 255 single bytes, then あ: index 255 is a lead byte, so the cut keeps 255.
        {"lead byte at index 255", std::string(255, 'a') + sjisA + "zz", std::string(255, 'a')},
        // Index 254 is the lead byte: あ ends at index 255 and is kept whole.
        {"character ending at index 255", std::string(254, 'a') + sjisA + "zz",
         std::string(254, 'a') + sjisA},
        // A lead byte at index 255 only when the text goes on past 256 kept bytes.
        {"lone lead byte as the 256th and last", std::string(255, 'a') + "\x82",
         std::string(255, 'a') + "\x82"},
        // Control bytes do not count toward the 257 kept bytes.
        {"control bytes before the cut", std::string(100, '\n') + std::string(255, 'a') + sjisA,
         std::string(255, 'a')},
        {"control bytes between", std::string(200, 'a') + "\r\n" + std::string(56, 'b'),
         std::string(200, 'a') + std::string(56, 'b')},
        // A byte after a lead byte that is no trail byte stands alone, so the walk resyncs.
        {"broken pair before the cut", "\x82" + std::string(254, '1') + sjisA + "z",
         "\x82" + std::string(254, '1')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegisteredTextDisplayString(c.text.c_str()), c.shown) << c.what;
    }
    EXPECT_EQ(RegisteredTextDisplayString(nullptr), "");
}

TEST(ItemMove, InsertsBeforeTheDropTargetAndKeepsIndexesOfAFailedInsert) {
    struct Case {
        const char* what;
        int from, to;
        ItemMove move;
    } cases[] = {
        {"first of five dropped on the fourth becomes the third", 0, 3, {3, 0, 2}},
        {"first of five dropped below the last becomes the fifth", 0, 5, {5, 0, 4}},
        {"dropped on the item just below stays", 0, 1, {1, 0, 0}},
        {"last of five dropped on the first", 4, 0, {0, 5, 0}},
        {"keyboard up: item 2 to 1", 2, 1, {1, 3, 1}},
        {"keyboard down: item 1 to 3 lands at 2", 1, 3, {3, 1, 2}},
    };
    for (const Case& c : cases) {
        ItemMove m = PlanItemMove(c.from, c.to);
        EXPECT_EQ(m.insertAt, c.move.insertAt) << c.what;
        EXPECT_EQ(m.deleteAt, c.move.deleteAt) << c.what;
        EXPECT_EQ(m.result, c.move.result) << c.what;
    }
}

TEST(ItemMove, KeyboardTargetsStayInsideTheList) {
    EXPECT_EQ(KeyboardMoveTarget(0, 5, -1), -1);  // Alt+Up on the first
    EXPECT_EQ(KeyboardMoveTarget(4, 5, +1), -1);  // Alt+Down on the last
    EXPECT_EQ(KeyboardMoveTarget(1, 5, +1), 3);   // item 2 of 5 becomes item 3
    EXPECT_EQ(KeyboardMoveTarget(1, 5, -1), 0);
    EXPECT_EQ(KeyboardMoveTarget(-1, 5, +1), -1);  // no selection
    EXPECT_EQ(KeyboardMoveTarget(0, 1, +1), -1);
}

TEST(ItemMove, InsertionIndexUnderAPoint) {
    EXPECT_EQ(InsertionIndexAt(0, 0, 16, 5), 0);
    EXPECT_EQ(InsertionIndexAt(15, 0, 16, 5), 0);
    EXPECT_EQ(InsertionIndexAt(16, 0, 16, 5), 1);
    EXPECT_EQ(InsertionIndexAt(16, 3, 16, 5), 4);  // scrolled by three items
    EXPECT_EQ(InsertionIndexAt(500, 0, 16, 5), 5);  // below the last: append
    EXPECT_EQ(InsertionIndexAt(10, 0, 0, 5), -1);   // no item height: no division
    EXPECT_EQ(InsertionIndexAt(-1, 0, 16, 5), -1);
}

TEST(ItemMove, SelectionAfterDelete) {
    EXPECT_EQ(SelectionAfterDelete(2, 2, false), 1);  // the last of three: the new last
    EXPECT_EQ(SelectionAfterDelete(0, 2, false), 0);
    EXPECT_EQ(SelectionAfterDelete(0, 0, false), -1);  // the only one: nothing
    EXPECT_EQ(SelectionAfterDelete(0, 2, true), 0);    // Backspace on the first
    EXPECT_EQ(SelectionAfterDelete(2, 3, true), 1);
}

TEST(Buttons, StatesFollowTheItemCount) {
    struct Case {
        int count;
        bool add, edit, remove;
    } cases[] = {{0, true, false, false},    {1, true, true, true},    {4094, true, true, true},
                 {4095, false, true, true},  {4096, false, true, true}};
    for (const Case& c : cases) {
        RegisteredTextButtons b = RegisteredTextButtonStates(c.count);
        EXPECT_EQ(b.add, c.add) << c.count;
        EXPECT_EQ(b.edit, c.edit) << c.count;
        EXPECT_EQ(b.remove, c.remove) << c.count;
    }
}

TEST(NoDropCursor, SignInsideRowsAndColumnsSixToTwentyFive) {
    unsigned char andPlane[kNoDropPlaneBytes], xorPlane[kNoDropPlaneBytes];
    BuildNoDropCursorPlanes(andPlane, xorPlane);
    auto opaque = [&](int x, int y) { return !(andPlane[y * 4 + x / 8] & (0x80 >> (x % 8))); };
    auto white = [&](int x, int y) { return (xorPlane[y * 4 + x / 8] & (0x80 >> (x % 8))) != 0; };
    int inked = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            bool inside = x >= 6 && x <= 25 && y >= 6 && y <= 25;
            if (!inside) {
                EXPECT_FALSE(opaque(x, y)) << x << "," << y;
            }
            if (!opaque(x, y)) {
                EXPECT_FALSE(white(x, y)) << "transparent stays clean " << x << "," << y;
            }
            inked += opaque(x, y);
        }
    }
    EXPECT_GT(inked, 200);
    // The bar crosses the hot spot in black; the ring is black with white on its outer edge.
    EXPECT_TRUE(opaque(15, 15) && !white(15, 15));
    EXPECT_TRUE(opaque(15, 8) && !white(15, 8));
    EXPECT_TRUE(opaque(15, 6) && white(15, 6));
    // The far corners inside the ring are see-through (the bar runs the other diagonal).
    EXPECT_FALSE(opaque(19, 12));
}

}  // namespace
