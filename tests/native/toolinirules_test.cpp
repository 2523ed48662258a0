// Settings files from any editor: the encoding rule, UTF-8, and changing one key.
#include "TOOLS/toolinirules.h"

#include <gtest/gtest.h>

#include "TOOLS/tooltext.h"
#include "settings/appsettings.h"

namespace {

TEST(DetectIniEncoding, MarksThenStrictUtf8ThenShiftJis) {
    struct Case {
        std::string bytes;
        IniEncoding expected;
    };
    const Case cases[] = {
        {"", IniEncoding::ShiftJis},
        {"[Quillmate]\r\nx=1\r\n", IniEncoding::ShiftJis},  // ASCII reads the same either way
        {"履歴の記憶数=2", IniEncoding::ShiftJis},          // the literal is Shift-JIS bytes
        {"\xE5\xB1\xA5\xE6\xAD\xB4=2", IniEncoding::Utf8},  // 履歴 in UTF-8
        {"\xEF\xBB\xBF[a]", IniEncoding::Utf8Bom},
        {"\xFF\xFE[\0", IniEncoding::Utf16Le},
        {"\xFE\xFF\0[", IniEncoding::Utf16Be},
        {"\xC0\xAF", IniEncoding::ShiftJis},      // an overlong form is no UTF-8
        {"\xED\xA0\x80", IniEncoding::ShiftJis},  // nor is a surrogate
        {"\xE5\xB1", IniEncoding::ShiftJis},      // nor a cut sequence
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectIniEncoding(c.bytes), c.expected) << testing::PrintToString(c.bytes);
}

TEST(Utf8, RoundTripsAnyUtf16AndReplacesWhatIsNoUtf8) {
    const std::u16string texts[] = {u"", u"caf\u00e9 \U0001F600", u"\xD800x", u"\xDC00"};
    for (const std::u16string& text : texts)
        EXPECT_EQ(tooltext::WideFromUtf8(tooltext::Utf8FromWide(text)), text);
    EXPECT_EQ(tooltext::WideFromUtf8("a\xFF" "b\xE5\xB1"), u"a\uFFFDb\uFFFD\uFFFD");
}

TEST(UtfIni, EncodesBackWithTheMarkItHad) {
    for (IniEncoding e : {IniEncoding::Utf8, IniEncoding::Utf8Bom, IniEncoding::Utf16Le,
                          IniEncoding::Utf16Be}) {
        const std::string bytes = EncodeUtfIni("[\xE5\xB1\xA5]\r\n", e);  // [履]
        EXPECT_EQ(DetectIniEncoding(bytes), e);
        EXPECT_EQ(DecodeUtfIni(bytes, e), "[\xE5\xB1\xA5]\r\n");
    }
}

TEST(FindIniValue, ComparesNamesWithoutCaseAndBlanks) {
    const std::string text = "[Other]\r\nKey=no\r\n[ quillmate ]\r\n  KEY = \"v 1\" \r\nkey=2\r\n";
    std::string value;
    ASSERT_TRUE(FindIniValue(text, "Quillmate", "key", value));
    EXPECT_EQ(value, "v 1");
    EXPECT_FALSE(FindIniValue(text, "Quillmate", "missing", value));
    EXPECT_FALSE(FindIniValue(text, "None", "key", value));
}

TEST(SetIniValue, OneKeyPerSettingAndEveryOtherLineKept) {
    const std::string two = "2";
    struct Case {
        std::string text;
        const std::string* value;
        std::string expected;
    };
    const Case cases[] = {
        // the user's line rewritten, a second one dropped, comments and other keys kept
        {"; mine\r\n[Q]\r\nn=30\r\nother=x\r\nn=31\r\n", &two, "; mine\r\n[Q]\r\nn=2\r\nother=x\r\n"},
        // a missing key after the section's last filled line, before its blank lines
        {"[Q]\r\na=1\r\n\r\n[R]\r\n", &two, "[Q]\r\na=1\r\nn=2\r\n\r\n[R]\r\n"},
        // a missing section at the end, with the file's own line ends
        {"[R]\nb=1", &two, "[R]\nb=1\n[Q]\nn=2\n"},
        {"", &two, "[Q]\r\nn=2\r\n"},
        // removal
        {"[Q]\r\nn=1\r\nm=1\r\nN=3\r\n", nullptr, "[Q]\r\nm=1\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SetIniValue(c.text, "Q", "n", c.value), c.expected)
            << testing::PrintToString(c.text);
}

TEST(ExactPath, EscapesToAsciiAndBack) {
    const std::u16string path = u"C:\\Users\\Jos\u00e9\\100%\\\U0001F600";
    const std::string escaped = EscapeExactPath(path);
    EXPECT_EQ(escaped, "C:\\Users\\Jos%C3%A9\\100%25\\%F0%9F%98%80");
    std::u16string back;
    ASSERT_TRUE(UnescapeExactPath(escaped, back));
    EXPECT_EQ(back, path);
    EXPECT_FALSE(UnescapeExactPath("100%2", back));
    EXPECT_FALSE(UnescapeExactPath("%FF", back));
}

}  // namespace
