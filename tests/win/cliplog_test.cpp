// Clipboard log files written into a private folder: the dated tree, the bytes, silent failures.
#include "clipboard/cliplog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/testenv.h"

namespace {

// "\YYYY-MM\DD\hhmmss" of the clock's current second, as the log tree names it.
std::string Stamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char s[32];
    snprintf(s, sizeof s, "\\%04d-%02d\\%02d\\%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return s;
}

// Runs write(log folder) on fresh log folders until the clock's second stays the same during
// the call, so that the files' names are known: gives the log folder plus that second's stamp.
template <class Write>
std::string WriteWithinOneSecond(const testenv::TempModuleFolder& temp, Write write) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::string folder = temp.file(("log" + std::to_string(attempt)).c_str());
        std::string before = Stamp();
        write(folder.c_str());
        if (Stamp() == before) return folder + before;
    }
    return "";
}

// A 24-bit 1x1 DIB: 40-byte header, then one pixel padded to 4 bytes.
const std::string kDib = std::string("\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0", 16) +
                         std::string(24, '\0') + std::string("\x11\x22\x33\0", 4);

TEST(ClipLog, TextAndBitmapLandInTheTreeOfTheirSecond) {
    testenv::TempModuleFolder temp;
    // The second text replaces the longer first; bytes end at the NUL; a lone LF stays one byte.
    const std::string first = "the first and longer text";
    const std::string text("表示～\r\nline\nlast\0after", 24);
    const std::string block = kDib + "zz";  // clipboard blocks may be rounded up
    bool written[3] = {};
    std::string stem = WriteWithinOneSecond(temp, [&](const char* folder) {
        written[0] = WriteTextLog(testenv::WidePath(folder), first.c_str(), first.size() + 1);
        written[1] = WriteTextLog(testenv::WidePath(folder), text.data(), text.size());
        written[2] = WriteBitmapLog(block.data(), block.size(), testenv::WidePath(folder));
    });
    ASSERT_FALSE(stem.empty()) << "the clock's second kept changing";
    EXPECT_TRUE(written[0] && written[1] && written[2]);
    EXPECT_EQ(testenv::ReadFileBytes(stem + ".txt"), text.substr(0, text.find('\0')));
    // "BM", file size 58, reserved zeros, pixels at 54; then the DIB without the slack.
    EXPECT_EQ(testenv::ReadFileBytes(stem + ".bmp"),
              std::string("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0", 14) + kDib);
}

TEST(ClipLog, FailuresWriteNothing) {
    testenv::TempModuleFolder temp;
    // The log folder is made one level deep only.
    std::string orphan = temp.file("missing\\log");
    EXPECT_FALSE(WriteTextLog(testenv::WidePath(orphan.c_str()), "text", 5));
    EXPECT_FALSE(WriteBitmapLog(kDib.data(), kDib.size(), testenv::WidePath(orphan.c_str())));
    EXPECT_FALSE(testenv::FileExists(temp.file("missing")));

    // A block too short for its pixels is refused before any folder or file is made.
    std::string folder = temp.file("log");
    EXPECT_FALSE(WriteBitmapLog(kDib.data(), kDib.size() - 1, testenv::WidePath(folder.c_str())));
    EXPECT_FALSE(WriteBitmapLog(kDib.data(), 0, testenv::WidePath(folder.c_str())));
    EXPECT_FALSE(testenv::FileExists(folder));

    // No log folder set: nothing in the current folder, nor in its drive's root.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(temp.path().c_str()));
    std::string month = Stamp().substr(0, 8);  // "\YYYY-MM"
    bool rootHadMonth = testenv::FileExists(month);
    EXPECT_FALSE(WriteTextLog(u"", "text", 5));
    EXPECT_FALSE(WriteBitmapLog(kDib.data(), kDib.size(), u""));
    EXPECT_EQ(testenv::FileExists(month), rootHadMonth);
    EXPECT_FALSE(testenv::FileExists(month.substr(1)));
    SetCurrentDirectoryA(previous);
}

}  // namespace
