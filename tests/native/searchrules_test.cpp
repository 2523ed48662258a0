// The history search's matcher, rows and keys.
#include "search/searchrules.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/textstore.h"

namespace {

// A query typed in the code page only (every test field fits it).
SearchQuery Query(const std::string& field) {
    return BuildSearchQuery(field, u"", true);
}

// The text in a block of exactly its size, so that a read past its end is caught.
bool Matches(const std::string& field, const std::string& text) {
    std::vector<char> exact(text.begin(), text.end());
    return MatchesBytes(Query(field), std::string_view(exact.data(), exact.size()));
}

struct MatchCase {
    const char* field;
    const char* text;
    bool matches;
};

TEST(SearchMatcher, WordsCaseFullWidthAndBoundaries) {
    const MatchCase cases[] = {
        // Every word, in any order, split at half-width and full-width blanks.
        {"会議 資料", "資料は明日の会議で", true},
        {"会議　資料", "資料は明日の会議で", true},
        {"会議 資料", "明日の会議で", false},
        {"  会議  ", "会議", true},
        // ASCII letters regardless of case; other bytes exactly.
        {"abc", "xxABCxx", true},
        {"ABC", "abc", true},
        {"a-b", "A-B", true},
        {"a-b", "a_b", false},
        // Full-width letters and digits match their half-width forms, both ways and mixed.
        {"abc", "ａｂｃ", true},
        {"abc", "ＡＢＣ", true},
        {"ａｂｃ", "aBc", true},
        {"aｂC", "ＡbＣ", true},
        {"１２３", "tel 0123", true},
        {"123", "１２３", true},
        {"１２３", "１２４", false},
        // Trail bytes 0x40..0x7E look like ASCII but never match it.
        {"@", "ァ", false},  // 0x83 0x40
        {"A", "ア", false},  // 0x83 0x41
        {"a", "ア", false},
        {"\\", "表", false},  // 0x95 0x5C
        {"@", "ァ@", true},
        {"\\", "表\\", true},
        // Both bytes of 亜 (0x88 0x9F) are lead bytes: 亜亜 holds 0x9F 0x88 (游) off the boundary.
        {"游", "亜亜", false},
        {"游", "亜游", true},
        {"亜", "x亜亜", true},
        // A double-byte character at the end of a text, and a word running past the end.
        {"c表", "abc表", true},
        {"表x", "abc表", false},
        {"ｃ", "abc", true},
        {"cd", "abc", false},
        // A lone lead byte at the end is a character of its own, and so is a lead byte before a
        // byte that cannot be a trail byte.
        {"c", "abc\x95", true},
        {"1", "\x88\x31", true},  // 0x31 is "1"
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(Matches(c.field, c.text), c.matches) << c.field << " in " << c.text;
}

TEST(SearchMatcher, EmptyFieldMatchesEverything) {
    for (const char* field : {"", "   ", "　 　"}) {
        EXPECT_TRUE(IsEmptyQuery(Query(field))) << field;
        EXPECT_TRUE(Matches(field, "")) << field;
        EXPECT_TRUE(Matches(field, "any text")) << field;
    }
}

TEST(SearchMatcher, ExactTextsMatchInUtf16) {
    SearchQuery query = BuildSearchQuery("caf? ?", u"CAF\x00E9 \xD55C\xAD6D", false);
    EXPECT_TRUE(MatchesWide(query, u"un caf\x00E9, \xD55C\xAD6D\xC5B4"));
    EXPECT_TRUE(MatchesWide(BuildSearchQuery("", u"ｃａｆ\x00E9　１", false), u"Caf\x00E9 No.1"));
    EXPECT_FALSE(MatchesWide(query, u"un caf\x00E9"));
    // A field the code page cannot hold matches no Shift-JIS text, not even through its '?'.
    EXPECT_FALSE(MatchesBytes(query, "caf? ?"));
    // Neither end of a word falls inside a surrogate pair.
    std::u16string smile = u"x\xD83D\xDE00y";  // a face outside the BMP
    EXPECT_FALSE(MatchesWide(BuildSearchQuery("", smile.substr(2, 1), false), smile));
    EXPECT_FALSE(MatchesWide(BuildSearchQuery("", smile.substr(0, 2), false), smile));
    EXPECT_TRUE(MatchesWide(BuildSearchQuery("", smile.substr(1, 2), false), smile));
}

TEST(SearchRows, RegisteredFirstThenHistoryNewestFirstAsTheMenuShowsIt) {
    TextStore* store = createTextStore();
    for (const char* text : {"h3", "h2", "h1"}) recordHistoryText(*store, 100, text);
    registerText(*store, "r2");
    registerText(*store, "r1");
    std::vector<std::string> texts;
    for (const SearchRow& row : AllSearchRows(*store, 2))
        texts.push_back(std::string(row.registered ? "*" : "") + textOfId(*store, row.id));
    EXPECT_EQ(texts, (std::vector<std::string>{"*r1", "*r2", "h1", "h2"}));

    std::vector<SearchRow> all = AllSearchRows(*store, 100);
    std::vector<SearchRow> found = MatchingRows(*store, all, Query("H"));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_STREQ(textOfId(*store, found[0].id), "h1");
    // A row whose text went meanwhile matches nothing and breaks nothing.
    clearHistory(*store);
    EXPECT_TRUE(MatchingRows(*store, all, Query("")).size() == 2u);
    EXPECT_FALSE(RowMatches(*store, all.back().id, Query("")));
    destroyTextStore(store);
}

// A text the code page cannot hold is matched in its exact form, never through its bytes.
TEST(SearchRows, AnExactTextMatchesInItsExactForm) {
    TextStore* store = createTextStore();
    addText(*store, ListKind::History, "caf? ok",
            std::make_shared<const std::u16string>(u"caf\x00E9 ok"));
    addText(*store, ListKind::History, "caf? ok, in bytes");
    int exact = idAt(*store, ListKind::History, 1), bytes = idAt(*store, ListKind::History, 0);
    SearchQuery accented = BuildSearchQuery("CAF?", u"CAF\x00E9", false);
    EXPECT_TRUE(RowMatches(*store, exact, accented));
    EXPECT_FALSE(RowMatches(*store, bytes, accented));
    SearchQuery question = BuildSearchQuery("caf?", u"caf?", true);
    EXPECT_FALSE(RowMatches(*store, exact, question));
    EXPECT_TRUE(RowMatches(*store, bytes, question));
    EXPECT_TRUE(RowMatches(*store, exact, BuildSearchQuery("ＯＫ", u"ＯＫ", true)));
    destroyTextStore(store);
}

TEST(SearchRows, WideDisplayStringDropsControlsAndKeepsPairsWhole) {
    EXPECT_EQ(WideDisplayString(u"a\r\nb\tc"), u"abc");
    std::u16string longText(255, u'x');
    EXPECT_EQ(WideDisplayString(longText + u"yz"), longText + u"y");
    EXPECT_EQ(WideDisplayString(longText + u"\xD83D\xDE00"), longText);
}

TEST(SearchKeys, HighlightMovesWithinTheRows) {
    struct Case {
        int current, count;
        HighlightKey key;
        int expected;
    } cases[] = {
        {0, 10, HighlightKey::Down, 1},     {9, 10, HighlightKey::Down, 9},
        {0, 10, HighlightKey::Up, 0},       {5, 10, HighlightKey::Up, 4},
        {2, 10, HighlightKey::PageDown, 6}, {8, 10, HighlightKey::PageDown, 9},
        {5, 10, HighlightKey::PageUp, 1},   {2, 10, HighlightKey::PageUp, 0},
        {5, 10, HighlightKey::First, 0},    {5, 10, HighlightKey::Last, 9},
        {-1, 3, HighlightKey::Down, 0},     {0, 0, HighlightKey::Down, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MoveHighlight(c.current, c.count, c.key, 4), c.expected)
            << c.current << " of " << c.count << " key " << static_cast<int>(c.key);
    EXPECT_EQ(MoveHighlight(3, 10, HighlightKey::PageDown, 0), 4);  // a page is at least one row
}

}  // namespace
