// The history search's matcher, rows and keys.
#include "search/searchrules.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "regedit/regeditrules.h"
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
        // A lone lead byte at the end is a character of its own; anywhere else it takes the
        // next byte, whatever that is.
        {"c", "abc\x95", true},
        {"1", "\x88\x31", false},  // 0x31 is "1"
        {"1", "\x88\x88\x31", true},
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(Matches(c.field, c.text), c.matches) << c.field << " in " << c.text;
}

// Each case in both forms of the same text: Shift-JIS bytes and UTF-16.
#define BOTH(text) text, u"" text

struct KanaCase {
    const char* field;
    const char16_t* wideField;
    const char* text;
    const char16_t* wideText;
    size_t budget;  // the text's first bytes (= code units here) only; 0: all of it
    bool matches;
};

TEST(SearchMatcher, KanaFoldAlikeAndNeverAcrossACharacter) {
    const KanaCase cases[] = {
        // Hiragana, katakana and half-width katakana, every way round.
        {BOTH("カタカナ"), BOTH("伝票ｶﾀｶﾅ入力"), 0, true},
        {BOTH("ヒラガナ"), BOTH("ひらがな"), 0, true},
        {BOTH("ひらがな"), BOTH("ﾋﾗｶﾞﾅ"), 0, true},
        {BOTH("ぁぃぅぇぉゃゅょっをん"), BOTH("ｧｨｩｪｫｬｭｮｯｦﾝ"), 0, true},
        {BOTH("むめも"), BOTH("ﾑﾒﾓ"), 0, true},  // katakana from ム on lie one code higher
        {BOTH("ネ"), BOTH("ﾇ"), 0, false},
        // A voiced or semi-voiced mark joins its letter into one character.
        {BOTH("ガ"), BOTH("ｶﾞ"), 0, true},
        {BOTH("パピプペポばびぶべぼヴヅ"), BOTH("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞｳﾞﾂﾞ"), 0, true},
        {BOTH("カ"), BOTH("ｶﾞ"), 0, false},
        {BOTH("ﾞ"), BOTH("ｶﾞ"), 0, false},
        {BOTH("ハ"), BOTH("ﾊﾟ"), 0, false},
        {BOTH("ニ"), BOTH("ﾆﾞ"), 0, true},  // ニ takes no mark: the mark stays a character
        {BOTH("ﾞ"), BOTH("ﾆﾞ"), 0, true},
        // A voiced mark at the end of the text, and one cut off by the byte budget.
        {BOTH("ﾄﾞ"), BOTH("ｺｰﾄﾞ"), 0, true},
        {BOTH("ト"), BOTH("ｺｰﾄﾞ"), 0, false},
        {BOTH("ト"), BOTH("ｺｰﾄﾞ"), 3, true},
        {BOTH("ド"), BOTH("ｺｰﾄﾞ"), 3, false},
        // The long vowel marks.
        {BOTH("ラーメン"), BOTH("ﾗｰﾒﾝ"), 0, true},
        {BOTH("ー"), BOTH("一"), 0, false},
        // The trail-byte trap: え is 0x82 0xA6, じ 0x82 0xB6, ソ 0x83 0x5C; their trail bytes
        // are the half-width ｦ and ｶ and the backslash, and a mark after じ joins nothing.
        {BOTH("ヲ"), BOTH("え"), 0, false},
        {BOTH("ガ"), BOTH("じﾞ"), 0, false},
        {BOTH("ﾞ"), BOTH("じﾞ"), 0, true},
        {BOTH("\\"), BOTH("ソ"), 0, false},
    };
    for (const KanaCase& c : cases) {
        std::string_view text(c.text);
        std::u16string_view wide(c.wideText);
        if (c.budget) text = text.substr(0, c.budget), wide = wide.substr(0, c.budget);
        std::vector<char> exact(text.begin(), text.end());  // a read past its end is caught
        EXPECT_EQ(MatchesBytes(Query(c.field), std::string_view(exact.data(), exact.size())),
                  c.matches)
            << c.field << " in " << c.text;
        EXPECT_EQ(MatchesWide(BuildSearchQuery("", c.wideField, false), wide), c.matches)
            << c.field << " in " << c.text << " (UTF-16)";
    }
}

// A repetitive text and a word that almost matches everywhere: every character is read a few
// times at most, not once per character of the word.
TEST(SearchMatcher, ReadsARepetitiveTextAFewTimesAtMost) {
    const std::string field = std::string(255, 'a') + "b";
    const std::string text(1 << 20, 'A');
    size_t reads = 0;
    EXPECT_FALSE(MatchesBytes(Query(field), text, &reads));
    EXPECT_LE(reads, 3 * text.size());
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
    // So does a field whose conversion to the code page failed.
    EXPECT_FALSE(MatchesBytes(BuildSearchQuery("", u"abc", true), "abc"));
    // Neither end of a word falls inside a surrogate pair.
    std::u16string smile = u"x\xD83D\xDE00y";  // a face outside the BMP
    EXPECT_FALSE(MatchesWide(BuildSearchQuery("", smile.substr(2, 1), false), smile));
    EXPECT_FALSE(MatchesWide(BuildSearchQuery("", smile.substr(0, 2), false), smile));
    EXPECT_TRUE(MatchesWide(BuildSearchQuery("", smile.substr(1, 2), false), smile));
}

std::string TextOf(const TextStore& store, const SearchRow& row) {
    std::shared_ptr<const TextEntry> entry = LiveEntry(store, row.entry);
    return entry ? std::string(row.registered ? "*" : "") + entry->text : "<gone>";
}

TEST(SearchRows, RegisteredFirstThenHistoryNewestFirstAsTheMenuShowsIt) {
    TextStore* store = createTextStore();
    for (const char* text : {"h3", "h2", "h1"}) recordHistoryText(*store, 100, text);
    registerText(*store, "r2");
    registerText(*store, "r1");
    std::vector<std::string> texts;
    for (const SearchRow& row : AllSearchRows(*store, 2)) texts.push_back(TextOf(*store, row));
    EXPECT_EQ(texts, (std::vector<std::string>{"*r1", "*r2", "h1", "h2"}));

    std::vector<SearchRow> all = AllSearchRows(*store, 100);
    std::vector<SearchRow> found = MatchingRows(*store, all, Query("H"));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(TextOf(*store, found[0]), "h1");
    // A row whose text went meanwhile is matched no more and breaks nothing.
    clearHistory(*store);
    EXPECT_EQ(MatchingRows(*store, all, Query("")).size(), 2u);
    EXPECT_EQ(TextOf(*store, all.back()), "<gone>");
    destroyTextStore(store);
}

// A text the code page cannot hold is matched in its exact form, never through its bytes.
TEST(SearchRows, AnExactTextMatchesInItsExactForm) {
    TextStore* store = createTextStore();
    addText(*store, ListKind::History, "caf? ok",
            std::make_shared<const std::u16string>(u"caf\x00E9 ok"));
    addText(*store, ListKind::History, "caf? ok, in bytes");
    const TextEntry& exact = *store->history.chain[0];
    const TextEntry& bytes = *store->history.chain[1];
    SearchQuery accented = BuildSearchQuery("CAF?", u"CAF\x00E9", false);
    EXPECT_TRUE(EntryMatches(exact, accented));
    EXPECT_FALSE(EntryMatches(bytes, accented));
    SearchQuery question = BuildSearchQuery("caf?", u"caf?", true);
    EXPECT_FALSE(EntryMatches(exact, question));
    EXPECT_TRUE(EntryMatches(bytes, question));
    EXPECT_TRUE(EntryMatches(exact, BuildSearchQuery("ＯＫ", u"ＯＫ", true)));
    destroyTextStore(store);
}

// Every cut of a row or the preview ends on a character boundary.
TEST(SearchRows, RowAndPreviewCutsKeepCharactersWhole) {
    EXPECT_EQ(WideDisplayString(u"a\r\nb\tc"), u"abc");
    std::u16string longText(255, u'x');
    EXPECT_EQ(WideDisplayString(longText + u"yz"), longText + u"y");
    EXPECT_EQ(WideDisplayString(longText + u"\xD83D\xDE00"), longText);
    EXPECT_EQ(RowWide(u"ab\xD83D\xDE00", 3), u"ab");
    EXPECT_EQ(RowBytes("ab\r\n表", 3), "ab");
    std::string preview(kPreviewBytes - 1, 'x');
    EXPECT_EQ(PreviewCutLength(preview + "表"), kPreviewBytes - 1);
    EXPECT_EQ(PreviewCutLength(preview + "x表"), kPreviewBytes);
    EXPECT_EQ(PreviewCutLength(std::u16string(kPreviewBytes / 2 - 1, u'x') + u"\xD83D\xDE00"),
              kPreviewBytes / 2 - 1);
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
