// Command-line splitting and the joined path text.
#include "app/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const char* line) {
    ArgumentVector args;
    EXPECT_TRUE(SplitCommandLine(line, args));
    std::vector<std::string> result;
    for (int i = 0; i < args.argc; ++i) result.emplace_back(args.argv[i]);
    EXPECT_EQ(args.argv[args.argc], nullptr) << "the table ends with a null entry";
    return result;
}

struct SplitCase {
    const char* line;
    std::vector<std::string> expected;
};

TEST(SplitCommandLine, ArgumentRules) {
    const SplitCase cases[] = {
        {"q.exe a\\\\\\\"b", {"q.exe", "a\\\"b"}},           // a\\\"b -> a\"b
        {"q.exe a\\\\\"b c\"", {"q.exe", "a\\b c"}},          // a\\"b c" -> a\b c
        {"q.exe E:\\dir\\", {"q.exe", "E:\\dir\\"}},          // backslashes kept before the end
        {"q.exe \"x y\"z", {"q.exe", "x yz"}},
        {"q.exe \"a\"\"b c\"", {"q.exe", "a\"b", "c"}},       // doubled quote ends the quoted part
        {"\"E:\\p q\\q.exe\"arg", {"E:\\p q\\q.exe", "arg"}},  // text right after a quoted name
        {"", {""}},                                            // empty line: empty program name
        {"q.exe \"\"", {"q.exe", ""}},                         // an empty quoted argument counts
        {"q.exe   \t a\tb  ", {"q.exe", "a", "b"}},
        {"q.exe 表\\\"x", {"q.exe", "表\"x"}},  // 表's trail byte 0x5C is no backslash
        {"q.exe \"表 \"", {"q.exe", "表 "}},
        {"q.exe ab\x81", {"q.exe", "ab\x81"}},  // lead byte before the NUL counts single
        {"\"unterminated name", {"unterminated name"}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(Split(c.line), c.expected) << c.line;
}

TEST(SplitCommandLine, ManyArgumentsShareOneBlock) {
    std::string line = "q.exe";
    for (int i = 0; i < 300; ++i) line += " \"arg " + std::to_string(i) + "\"";
    std::vector<std::string> args = Split(line.c_str());
    ASSERT_EQ(args.size(), 301u);
    EXPECT_EQ(args[300], "arg 299");
}

TEST(JoinQuotedPaths, QuotesAndSeparatesByOneBlank) {
    EXPECT_EQ(JoinQuotedPaths({}), "");
    EXPECT_EQ(JoinQuotedPaths({"E:\\My Files\\a.txt"}), "\"E:\\My Files\\a.txt\"");
    EXPECT_EQ(JoinQuotedPaths({"E:\\My Files\\a.txt", "E:\\b"}),
              "\"E:\\My Files\\a.txt\" \"E:\\b\"");
}

}  // namespace
