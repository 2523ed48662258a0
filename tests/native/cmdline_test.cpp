// The joined path text of the path-copy mode.
#include "app/cmdline.h"

#include <gtest/gtest.h>

namespace {

TEST(JoinQuotedPaths, QuotesAndSeparatesByOneBlank) {
    EXPECT_EQ(JoinQuotedPaths({}), u"");
    EXPECT_EQ(JoinQuotedPaths({u"E:\\My Files\\a.txt"}), u"\"E:\\My Files\\a.txt\"");
    EXPECT_EQ(JoinQuotedPaths({u"E:\\My Files\\a.txt", u"E:\\b"}),
              u"\"E:\\My Files\\a.txt\" \"E:\\b\"");
}

}  // namespace
