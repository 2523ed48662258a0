// Exact texts: their place in the store, their file records, and the wide labels, tips and
// transforms shown and given back for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu/linetransform.h"
#include "menu/menulayout.h"
#include "menu/tiptext.h"
#include "store/exactfile.h"
#include "store/textstore.h"

namespace {

constexpr ListKind kHistory = ListKind::History;
constexpr ListKind kRegistered = ListKind::RegisteredTexts;

ExactText exactOf(std::u16string text) {
    return std::make_shared<const std::u16string>(text);
}

std::u16string exactAt(const TextStore& store, ListKind kind, int index) {
    const std::u16string* exact = exactTextOfId(store, idAt(store, kind, index));
    return exact ? *exact : u"(none)";
}

std::string fileOf(const TextChain& chain) {
    std::string bytes;
    writeExactRecords(exactSnapshot(chain), [&bytes](const char* data, size_t size) {
        bytes.append(data, size);
        return true;
    });
    return bytes;
}

// A history of "cafe" (exact café), "plain" and "?" (exact 😀), oldest first.
TextStore* makeHistory() {
    TextStore* store = createTextStore();
    recordHistoryText(*store, 10, "cafe", exactOf(u"caf\u00E9"));
    recordHistoryText(*store, 10, "plain");
    recordHistoryText(*store, 10, "?", exactOf(u"\U0001F600"));
    return store;
}

TEST(ExactText, NewestFormWinsAndEditorKeepsUnchangedRows) {
    TextStore store;
    recordHistoryText(store, 10, "cafe", exactOf(u"caf\u00E9"));
    recordHistoryText(store, 10, "x");
    recordHistoryText(store, 10, "cafe", exactOf(u"caf\u00E8"));
    EXPECT_EQ(listCount(store, kHistory), 2);
    EXPECT_EQ(exactAt(store, kHistory, 0), u"caf\u00E8");
    recordHistoryText(store, 10, "cafe");  // now copied as plain bytes: no exact form left
    EXPECT_EQ(exactAt(store, kHistory, 0), u"(none)");

    registerText(store, "?", exactOf(u"\U0001F600"));
    registerText(store, "kept");
    replaceRegisteredTexts(store, {"new", "?", "kept"});
    EXPECT_EQ(exactAt(store, kRegistered, 1), u"\U0001F600");
    EXPECT_EQ(exactAt(store, kRegistered, 0), u"(none)");
}

TEST(ExactFile, RecordsComeBackAndOnlyToEntriesWithTheirBytes) {
    std::unique_ptr<TextStore, void (*)(TextStore*)> saved(makeHistory(), destroyTextStore);
    const std::string bytes = fileOf(saved->history.chain);

    // An older program rewrote the history: "cafe" is gone, "?" stayed, "plain" has no record.
    TextStore loaded;
    addText(loaded, kHistory, "?");
    addText(loaded, kHistory, "plain");
    EXPECT_EQ(attachExactRecords(loaded, kHistory, bytes), 1u);
    EXPECT_EQ(exactAt(loaded, kHistory, 1), u"\U0001F600");
    EXPECT_EQ(exactAt(loaded, kHistory, 0), u"(none)");

    TextStore fitting;
    recordHistoryText(fitting, 10, "日本語");
    EXPECT_EQ(fileOf(fitting.history.chain), "") << "texts that fit cost no bytes";
}

// Damage anywhere costs only the records it touches; the others are found past it.
TEST(ExactFile, DamagedOrCutFileLosesOnlyItsDamagedRecords) {
    TextStore store;
    for (const char* text : {"a?", "b?", "c?"}) {
        std::string exact = std::string(text, 1) + "\xE2\x9C\x93";  // "x✓"
        std::u16string wide;
        ASSERT_TRUE(utf16FromUtf8(exact, wide));
        recordHistoryText(store, 10, text, exactOf(wide));
    }
    const std::string whole = fileOf(store.history.chain);
    const size_t record = whole.size() / 3;
    const auto namesOf = [](std::string_view bytes) {
        std::string names;
        readExactRecords(bytes, [&](std::string_view ansi, std::u16string&&) { names += ansi[0]; });
        return names;
    };
    EXPECT_EQ(namesOf(whole), "abc");
    struct Case {
        const char* what;
        std::string bytes;
        const char* names;
    } cases[] = {
        {"text byte of the middle one", std::string(whole).replace(record + 17, 1, "#"), "ac"},
        {"length of the first one", std::string(whole).replace(5, 1, "\x7F"), "bc"},
        {"cut in the last one", whole.substr(0, whole.size() - 2), "ab"},
        {"garbage before and between",
         "junk" + whole.substr(0, record) + "\x1eQX" + whole.substr(record), "abc"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(namesOf(c.bytes), c.names) << c.what;
}

TEST(ExactFile, Utf8KeepsEveryUnitAndRefusesBadBytes) {
    for (std::u16string text :
         {std::u16string(u"caf\u00E9 \u2014 \u2713 \U0001F600 \uD55C\uAD6D\uC5B4"),
          std::u16string(u"a\xD800z"), std::u16string(u"\xDC00"), std::u16string()}) {
        std::u16string back;
        ASSERT_TRUE(utf16FromUtf8(utf8FromUtf16(text), back));
        EXPECT_EQ(back, text);
    }
    std::u16string out;
    for (const char* bad : {"\xC0\x80", "\xE2\x9C", "\xF4\x90\x80\x80", "\x80", "\xFF"})
        EXPECT_FALSE(utf16FromUtf8(bad, out)) << bad;
}

TEST(ExactLabels, WideLabelAndTipNeverSplitASurrogatePair) {
    const std::u16string smile = u"\U0001F600";  // two units
    struct Case {
        std::u16string text;
        int budget;
        std::u16string label;
    } cases[] = {
        {u"ab" + smile, 4, u"ab"},          // the pair would end at unit 4: dropped whole
        {u"ab" + smile, 5, u"ab" + smile},  // room for it
        {u"a\r\nb&c", 10, u"ab&&c"},
        {u"ab&c", 4, u"ab"},  // no room for the doubled ampersand
        {u"caf\u00E9", 0, u""},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildMenuLabelW(c.text, c.budget), c.label) << c.budget;
    EXPECT_EQ(TipTextW(3, u"ab" + smile), u"ab");
    EXPECT_EQ(TipTextW(4, u"ab" + smile), u"ab" + smile);
}

// The wide transforms follow the byte rules: on an ASCII text both give the same result.
TEST(ExactTransforms, SameRulesAsTheByteTransforms) {
    const std::string text = "  a \t\r\n\r\n \r\n\r\nb  \n c";
    std::u16string wide(text.begin(), text.end());
    for (int id = 1; id <= kLineTransformCount; ++id) {
        std::vector<char> bytes;
        std::u16string result;
        ASSERT_TRUE(ApplyLineTransform(id, text.c_str(), bytes));
        ASSERT_TRUE(ApplyLineTransformW(id, wide, result));
        EXPECT_EQ(result, std::u16string(bytes.begin(), bytes.end() - 1)) << id;
    }
    std::u16string quoted;
    ApplyLineTransformW(1, u"\U0001F600\n\uD55C", quoted);
    EXPECT_EQ(quoted, u">\U0001F600\n>\uD55C");
}

}  // namespace
