// The edit pad's menu states and the name it suggests for a text written to a file.
#include "editpad/padrules.h"

#include <gtest/gtest.h>

namespace {

TEST(EditPadMenu, SelectionDecidesCutCopyDeleteAndSelectAll) {
    const struct {
        unsigned start, end, length;
        bool cutCopyDelete, selectAll;
    } cases[] = {
        {0, 0, 0, false, false},  // empty text: nothing to select
        {3, 3, 5, false, true},   // caret only
        {0, 5, 5, true, false},   // everything selected
        {5, 0, 5, true, false},   // everything, selected backwards
        {1, 4, 5, true, true},    // a part
        {0, 4, 5, true, true},    // all but the last byte
    };
    for (const auto& c : cases) {
        EditPadMenuStates states = DecideEditPadMenuStates({true, false, c.start, c.end, c.length});
        EXPECT_EQ(states.cutCopyDelete, c.cutCopyDelete) << c.start << ".." << c.end;
        EXPECT_EQ(states.selectAll, c.selectAll) << c.start << ".." << c.end << " of " << c.length;
        EXPECT_TRUE(states.undo);
        EXPECT_FALSE(states.paste);
    }
}

TEST(EditPadOutputName, TwoDigitsOfDayHourMinuteSecond) {
    EXPECT_EQ(SuggestedOutputName(3, 9, 5, 7), "03090507.txt");
    EXPECT_EQ(SuggestedOutputName(31, 23, 59, 59), "31235959.txt");
    EXPECT_EQ(SuggestedOutputName(1, 0, 0, 0), "01000000.txt");
}

}  // namespace
