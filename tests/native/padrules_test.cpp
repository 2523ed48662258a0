// The name the edit pad suggests for a text written to a file; the form a confirmed text keeps.
#include "editpad/padrules.h"

#include <gtest/gtest.h>

namespace {

TEST(EditPadOutputName, TwoDigitsOfDayHourMinuteSecond) {
    EXPECT_EQ(SuggestedOutputName(3, 9, 5, 7), "03090507.txt");
    EXPECT_EQ(SuggestedOutputName(31, 23, 59, 59), "31235959.txt");
    EXPECT_EQ(SuggestedOutputName(1, 0, 0, 0), "01000000.txt");
}

// A code page of ASCII only: every other unit becomes '?'.
std::string AsciiBytes(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) bytes += unit < 0x80 ? static_cast<char>(unit) : '?';
    return bytes;
}
std::u16string AsciiText(std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); }

TEST(ConfirmedTextRow, AnUnchangedTextKeepsItsFormAndAChangedOneTakesTheCodePageRule) {
    const std::u16string cafe = u"caf\u00E9", smile = u"\U0001F600";
    const TextRow exact{"caf?", std::make_shared<const std::u16string>(cafe)}, a{"a", nullptr};
    const struct {
        TextRow start;
        std::u16string shown, confirmed;
        std::string bytes;
        std::u16string exact;  // "-": no exact form
    } cases[] = {
        {exact, cafe, cafe, "caf?", cafe},
        {{"x\x80", nullptr}, u"x\x80", u"x\x80", "x\x80", u"-"},  // would not come back
        {{}, u"", u"", "", u"-"},
        {a, u"a", u"ab", "ab", u"-"},
        {a, u"a", cafe + smile, "caf???", cafe + smile},
        {exact, cafe, u"caf?", "caf?", u"-"},  // typed as the start's bytes
        {a, u"a", u"", "", u"-"},
    };
    for (const auto& c : cases) {
        TextRow row = ConfirmedTextRow(c.start, c.shown, c.confirmed, {AsciiBytes, AsciiText});
        EXPECT_EQ(row.text, c.bytes) << c.bytes;
        EXPECT_EQ(row.exact ? *row.exact : u"-", c.exact) << c.bytes;
    }
}

}  // namespace
