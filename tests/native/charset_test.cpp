// Proves that narrow literals are compiled into Shift-JIS (code page 932) bytes.
#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(Charset, LiteralsAreShiftJis) {
    EXPECT_EQ(std::string("表"), Bytes({0x95, 0x5C}));
    EXPECT_EQ(std::string("～"), Bytes({0x81, 0x60}));
    EXPECT_EQ(std::string("ｸ"), Bytes({0xB8}));
    EXPECT_EQ(std::string("（なし）"), Bytes({0x81, 0x69, 0x82, 0xC8, 0x82, 0xB5, 0x81, 0x6A}));
}

}  // namespace
