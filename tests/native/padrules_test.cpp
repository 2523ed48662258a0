// The name the edit pad suggests for a text written to a file.
#include "editpad/padrules.h"

#include <gtest/gtest.h>

namespace {

TEST(EditPadOutputName, TwoDigitsOfDayHourMinuteSecond) {
    EXPECT_EQ(SuggestedOutputName(3, 9, 5, 7), "03090507.txt");
    EXPECT_EQ(SuggestedOutputName(31, 23, 59, 59), "31235959.txt");
    EXPECT_EQ(SuggestedOutputName(1, 0, 0, 0), "01000000.txt");
}

}  // namespace
