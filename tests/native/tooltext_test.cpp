// Double-byte rules, bounded copy and print, character classes and path helpers.
#include "TOOLS/tooltext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace tooltext;

namespace {

TEST(ByteKind, WalksFromTheStart) {
    // "表" is 0x95 0x5C: its trail byte is the backslash code.
    const char* s = "a表\\";
    EXPECT_EQ(KindOfByteAt(s, 0), ByteKind::Single);
    EXPECT_EQ(KindOfByteAt(s, 1), ByteKind::Lead);
    EXPECT_EQ(KindOfByteAt(s, 2), ByteKind::Trail);
    EXPECT_EQ(KindOfByteAt(s, 3), ByteKind::Single);
    // 0x81 0x81 0x81: a trail byte may itself look like a lead byte.
    const char* runs = "\x81\x81\x81\x41";
    EXPECT_EQ(KindOfByteAt(runs, 1), ByteKind::Trail);
    EXPECT_EQ(KindOfByteAt(runs, 2), ByteKind::Lead);
    EXPECT_EQ(KindOfByteAt(runs, 3), ByteKind::Trail);
}

TEST(ByteKind, LeadByteBeforeNulCountsSingle) {
    const char* s = "ab\x82";
    EXPECT_EQ(KindOfByteAt(s, 2), ByteKind::Single);
    EXPECT_EQ(CharLength(s + 2), 1u);
}

TEST(CharacterClasses, AreThoseOfTheCLocale) {
    for (int c = 0; c < 256; ++c) {
        bool space = c == ' ' || (c >= 0x09 && c <= 0x0D);
        bool control = c < 0x20 || c == 0x7F;
        EXPECT_EQ(IsSpaceByte(static_cast<unsigned char>(c)), space) << c;
        EXPECT_EQ(IsControlByte(static_cast<unsigned char>(c)), control) << c;
    }
}

struct CopyCase {
    const char* src;
    size_t size;
    const char* expected;
};

TEST(CopyBounded, NeverSplitsACharacterAndAlwaysTerminates) {
    const CopyCase cases[] = {
        {"abcdef", 4, "abc"},            // n-1 bytes
        {"abc", 4, "abc"},               // fits exactly
        {"ab表", 4, "ab"},               // lead byte at the cut: one fewer
        {"ab表", 5, "ab表"},             // whole character fits
        {"表表", 4, "表"},               // cut after a whole character
        {"", 4, ""},                     // empty input
        {"abc", 1, ""},                  // room for the NUL only
        {"ab\x82", 8, "ab\x82"},         // lone lead byte before the NUL copied as a single byte
    };
    for (const CopyCase& c : cases) {
        char buf[16];
        std::memset(buf, 'X', sizeof buf);
        size_t n = CopyBounded(buf, c.size, c.src);
        EXPECT_STREQ(buf, c.expected) << c.src << " into " << c.size;
        EXPECT_EQ(n, std::strlen(c.expected));
        EXPECT_EQ(buf[c.size], 'X') << "wrote past the buffer";
    }
}

TEST(FormatBounded, CutsAtSizeMinusOneAndTerminates) {
    char buf[6];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(FormatBounded(buf, 5, "%s-%d", "abc", 42), 6);
    EXPECT_STREQ(buf, "abc-");
    EXPECT_EQ(buf[5], 'X');
    EXPECT_EQ(FormatBounded(buf, sizeof buf, "%02d", 7), 2);
    EXPECT_STREQ(buf, "07");
}

TEST(PathHelpers, TrailByteOfBackslashCodeIsNoSeparator) {
    EXPECT_EQ(FindLastSeparator("C:\\dir\\表"), 6u);
    EXPECT_EQ(FindLastSeparator("C:\\表"), 2u);
    EXPECT_EQ(FindLastSeparator("表"), kNotFound);
}

struct SiblingCase {
    const char* module;
    const char* expected;
};

TEST(PathHelpers, SiblingPathReplacesExtensionAndLowerCases) {
    const SiblingCase cases[] = {
        {"D:\\Tools\\Clip.EXE", "d:\\tools\\clip.hst"},
        {"D:\\Tools\\Clip", "d:\\tools\\clip.hst"},                    // no extension
        {"D:\\v1.2\\Clip", "d:\\v1.2\\clip.hst"},                      // dot in a folder name
        {"D:\\v1.2\\Clip.exe", "d:\\v1.2\\clip.hst"},
        {"C:\\表A\\ＡＢ\\Quill.EXE", "c:\\表a\\ＡＢ\\quill.hst"},       // double-byte kept as is
        {"C:\\\x83\x41\\Q.exe", "c:\\\x83\x41\\q.hst"},                // trail byte 'A' not lowered
    };
    for (const SiblingCase& c : cases) {
        char buf[522];
        ASSERT_TRUE(MakeSiblingPath(buf, sizeof buf, c.module, ".hst")) << c.module;
        EXPECT_STREQ(buf, c.expected);
    }
}

TEST(PathHelpers, SiblingPathThatDoesNotFitFails) {
    char buf[14];
    EXPECT_FALSE(MakeSiblingPath(buf, sizeof buf, "C:\\abcdefg.exe", ".hst"));  // 14 bytes
    EXPECT_TRUE(MakeSiblingPath(buf, sizeof buf, "C:\\abcdef.exe", ".hst"));   // 13 bytes
    EXPECT_STREQ(buf, "c:\\abcdef.hst");
}

TEST(PathHelpers, FolderPathKeepsCase) {
    char buf[522];
    ASSERT_TRUE(MakeFolderPath(buf, sizeof buf, "C:\\Tools\\表\\Q.exe"));
    EXPECT_STREQ(buf, "C:\\Tools\\表");
}

TEST(PathHelpers, JoinInsertsOneSeparator) {
    char buf[32];
    EXPECT_TRUE(JoinPath(buf, sizeof buf, "C:\\a", "log"));
    EXPECT_STREQ(buf, "C:\\a\\log");
    EXPECT_TRUE(JoinPath(buf, sizeof buf, "C:\\a\\", "log"));
    EXPECT_STREQ(buf, "C:\\a\\log");
    EXPECT_TRUE(JoinPath(buf, sizeof buf, "C:\\表", "log"));  // trailing 0x5C is a trail byte
    EXPECT_STREQ(buf, "C:\\表\\log");
    EXPECT_FALSE(JoinPath(buf, 8, "C:\\a", "log"));
}

TEST(PathHelpers, LowerCaseStepsOverDoubleByteCharacters) {
    char text[] = "ABC\x82\x60Z";  // 0x82 0x60 is full-width 'Ａ'; its trail is 0x60
    LowerAsciiInPlace(text);
    EXPECT_STREQ(text, "abc\x82\x60z");
    char trail[] = "\x83\x41";  // trail byte 0x41 ('A') stays
    LowerAsciiInPlace(trail);
    EXPECT_STREQ(trail, "\x83\x41");
}

}  // namespace
