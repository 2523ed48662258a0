// Menu tip text: bounded copy into the tip buffer and the id asked for.
#include "menu/tiptext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct TipCase {
    std::string text;
    int limit;
    std::string expected;
};

TEST(TipText, CopyIntoBufferOfLimitPlusOne) {
    const TipCase cases[] = {
        {std::string(3000, 'a'), 1024, std::string(1024, 'a')},
        {"abc", 2, "ab"},
        {"表x", 2, "表"},
        {"a表", 2, "a"},                       // the character starting at the second byte
        {"a&b\r\nc", 1024, "a&b\r\nc"},        // ampersands and line breaks stay as they are
        {std::string(1023, 'a') + "表", 1024, std::string(1023, 'a')},
        {std::string(1022, 'a') + "表", 1024, std::string(1022, 'a') + "表"},
        {"", 1024, ""},
        {"abc", 0, ""},
    };
    for (const TipCase& c : cases) {
        std::vector<char> buffer(TipBufferSize(c.limit) + 1, 'X');
        size_t n = CopyTipText(buffer.data(), c.limit, c.text.c_str());
        EXPECT_EQ(std::string(buffer.data()), c.expected) << c.limit;
        EXPECT_EQ(n, c.expected.size());
        EXPECT_EQ(buffer.back(), 'X') << "wrote past the buffer";
    }
}

TEST(TipText, IdOnlyWhileAnItemIsHighlighted) {
    EXPECT_EQ(TipItemId(true, true, 4096), 4096);
    EXPECT_EQ(TipItemId(true, false, 4096), -1);
    EXPECT_EQ(TipItemId(false, true, 4096), -1);
}

}  // namespace
