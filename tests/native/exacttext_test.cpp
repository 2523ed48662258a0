// Exact texts: their place in the store, their file records, and the wide labels, tips and
// transforms shown and given back for them.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "menu/linetransform.h"
#include "menu/menulayout.h"
#include "menu/tiptext.h"
#include "store/exactfile.h"
#include "store/listpair.h"
#include "store/textstore.h"

namespace {

constexpr ListKind kHistory = ListKind::History;
constexpr ListKind kRegistered = ListKind::RegisteredTexts;

ExactText exactOf(std::u16string text) {
    return std::make_shared<const std::u16string>(text);
}

std::string bytesOf(const std::function<bool(const ByteWriter&)>& content) {
    std::string bytes;
    content([&bytes](const char* data, size_t size) {
        bytes.append(data, size);
        return true;
    });
    return bytes;
}

std::string exactFileOf(const TextChain& chain) {
    ListFingerprint listFile;
    fingerprintOfTextRecords(chain, listFile);
    return bytesOf(
        [&](const ByteWriter& w) { return writeExactFile(exactSnapshot(chain), listFile, w); });
}

using Rows = std::vector<std::pair<std::string, std::u16string>>;  // oldest first

Rows rowsOf(const TextChain& chain) {
    Rows rows;
    for (const auto& entry : chain)
        rows.emplace_back(entry->text, entry->exact ? *entry->exact : u"");
    return rows;
}

// What a start reads back from a list file and an exact file.
Rows load(const std::string& texts, std::string_view exactFile) {
    ListFileReader reader;
    feedListFile(reader, texts.data(), texts.size());
    finishListFile(reader);
    TextStore store;
    addListTexts(store, kHistory, reader, exactFile);
    return rowsOf(store.history.chain);
}

TEST(ExactText, IdentityIsTheExactText) {
    TextStore store;
    recordHistoryText(store, 10, "?????", exactOf(u"\uC548\uB155\uD558\uC138\uC694"));
    recordHistoryText(store, 10, "?????", exactOf(u"\uAC10\uC0AC\uD569\uB2C8\uB2E4"));
    recordHistoryText(store, 10, "?????");  // five real question marks
    recordHistoryText(store, 10, "?????", exactOf(u"\uC548\uB155\uD558\uC138\uC694"));
    EXPECT_EQ(rowsOf(store.history.chain), (Rows{{"?????", u"\uAC10\uC0AC\uD569\uB2C8\uB2E4"},
                                                 {"?????", u""},
                                                 {"?????", u"\uC548\uB155\uD558\uC138\uC694"}}));

    // A registered word keeps out only itself, and registering another is a registration.
    registerText(store, "??", exactOf(u"\uC548\uB155"));
    EXPECT_FALSE(isRegistered(store, "??"));
    recordHistoryText(store, 10, "??", exactOf(u"\uAC10\uC0AC"));
    EXPECT_EQ(listCount(store, kHistory), 4);
    registerText(store, "??", exactOf(u"\uAC10\uC0AC"));
    EXPECT_EQ(listCount(store, kRegistered), 2);
    replaceRegisteredTexts(
        store,
        {{"??", exactOf(u"\uAC10\uC0AC")}, {"??", nullptr}, {"??", exactOf(u"\uAC10\uC0AC")}});
    EXPECT_EQ(rowsOf(store.registered.chain), (Rows{{"??", u""}, {"??", u"\uAC10\uC0AC"}}));
}

TEST(ExactFile, FormsGoBackByPlaceToTheirOwnListFileOnly) {
    TextStore saved;
    recordHistoryText(saved, 10, "??", exactOf(u"\uC548\uB155"));
    recordHistoryText(saved, 10, "??");
    recordHistoryText(saved, 10, "??", exactOf(u"\uAC10\uC0AC"));
    std::string texts =
        bytesOf([&](const ByteWriter& w) { return writeTextRecords(saved.history.chain, w); });
    const std::string exact = exactFileOf(saved.history.chain);
    EXPECT_EQ(load(texts, exact), rowsOf(saved.history.chain));
    EXPECT_EQ(texts, std::string("??\0??\0??\0", 9)) << "the list file holds only the bytes";

    // An older program rewrote the list file: its exact file names other bytes and gives nothing.
    texts.replace(0, 3, std::string("ab\0", 3));
    EXPECT_EQ(load(texts, exact), (Rows{{"ab", u""}, {"??", u""}}));
}

// A save stopped after any of its file operations, or meeting a locked exact file, leaves a
// pair from which every entry gets its form in the last save whose texts were written, or none.
TEST(ExactFile, EveryStopOfASaveGivesEachEntryItsFormOrNone) {
    const ExactText hello = exactOf(u"\uC548\uB155"), thanks = exactOf(u"\uAC10\uC0AC");
    using Chain = std::vector<std::pair<const char*, ExactText>>;
    const struct {
        const char* what;
        Chain before, after;
    } cases[] = {
        {"a form dropped, same bytes",
         {{"??", hello}, {"x", nullptr}},
         {{"??", nullptr}, {"x", nullptr}}},
        {"another form, same bytes", {{"??", hello}}, {{"??", thanks}}},
        {"bytes moved", {{"??", hello}, {"b", nullptr}}, {{"b", nullptr}, {"??", thanks}}},
        {"cleared", {{"??", hello}}, {}},
    };
    struct Disk {
        std::string texts, exact;
        int operationsLeft;  // the stop comes after these
        bool exactLocked;
        bool textsWritten;
    };
    const auto chainOf = [](const Chain& texts) {
        TextStore* store = new TextStore;
        for (const auto& [text, exact] : texts) addText(*store, kHistory, text, exact);
        return std::unique_ptr<TextStore>(store);
    };
    const auto save = [](Disk& disk, const TextChain& chain) {
        const auto allowed = [&disk](bool locked) { return !locked && disk.operationsLeft-- > 0; };
        ListFileOps ops{[&](const FileContent& c) {
                            return allowed(false) &&
                                   (disk.texts = bytesOf(c), disk.textsWritten = true);
                        },
                        [&](const FileContent& c) {
                            return allowed(disk.exactLocked) && (disk.exact = bytesOf(c), true);
                        },
                        [&] { return allowed(disk.exactLocked) && (disk.exact.clear(), true); },
                        [&](std::string& head) {
                            return (head = disk.exact.substr(0, kExactFileHeaderSize), true);
                        }};
        saveListFiles(chain, ops);
    };
    for (const auto& c : cases) {
        auto before = chainOf(c.before), after = chainOf(c.after);
        for (int stop = 0; stop <= 2; ++stop) {
            for (bool locked : {false, true}) {
                Disk disk{"", "", 100, false, false};
                save(disk, before->history.chain);
                disk.operationsLeft = stop;
                disk.exactLocked = locked;
                disk.textsWritten = false;
                save(disk, after->history.chain);
                Rows loaded = load(disk.texts, disk.exact);
                bool rightOrNone = false;
                for (const TextStore* from : {before.get(), after.get()}) {
                    if (disk.textsWritten && from == before.get()) continue;
                    Rows truth = rowsOf(from->history.chain);
                    if (truth.size() != loaded.size()) continue;
                    bool fits = true;
                    for (size_t i = 0; i < truth.size(); ++i)
                        fits = fits && loaded[i].first == truth[i].first &&
                               (loaded[i].second.empty() || loaded[i].second == truth[i].second);
                    rightOrNone = rightOrNone || fits;
                }
                EXPECT_TRUE(rightOrNone) << c.what << ", stop after " << stop << " operations"
                                         << (locked ? ", exact file locked" : "");
            }
        }
    }
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
    ListFingerprint listFile;
    fingerprintOfTextRecords(store.history.chain, listFile);
    const std::string whole = exactFileOf(store.history.chain);
    const size_t record = (whole.size() - kExactFileHeaderSize) / 3;
    const auto namesOf = [&](std::string_view bytes) {
        std::string names;
        readExactRecords(bytes, listFile, [&](uint32_t, std::string_view ansi, std::u16string&&) {
            names += ansi[0];
        });
        return names;
    };
    const size_t first = kExactFileHeaderSize;
    struct Case {
        const char* what;
        std::string bytes;
        const char* names;
    } cases[] = {
        {"whole", whole, "abc"},
        {"text byte of the middle one", std::string(whole).replace(first + record + 25, 1, "#"),
         "ac"},
        {"length of the first one", std::string(whole).replace(first + 9, 1, "\x7F"), "bc"},
        {"cut in the last one", whole.substr(0, whole.size() - 2), "ab"},
        {"garbage between",
         whole.substr(0, first + record) + "\x1eQX2junk" + whole.substr(first + record), "abc"},
        {"header damaged", std::string(whole).replace(6, 1, "#"), ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(namesOf(c.bytes), c.names) << c.what;
}

std::string u32(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);  // little-endian, as the file
}

// Markers whose lengths each claim a megabyte, packed as densely as they go (those of this
// build with sound header sums): a reader that checks what each claims takes hours on these
// 4 MB; a linear one a fraction of a second.
TEST(ExactFile, MarkerDenseFilesAreReadInLinearTime) {
    const std::string fields = u32(0) + u32(1 << 20) + u32(0);
    const std::string zero(12, '\0');
    const std::string header = "\x1eQXH" + zero + u32(crc32Of(0, zero));
    const std::string units[] = {"\x1eQX2" + fields + u32(crc32Of(0, fields)) + u32(0),
                                 "\x1eQX1" + u32(1 << 20) + u32(0) + u32(0)};
    for (const std::string& unit : units) {
        std::string bytes = unit[3] == '2' ? header : "";
        while (bytes.size() < (4u << 20)) bytes += unit;
        auto start = std::chrono::steady_clock::now();
        exactFormsOf({""}, ListFingerprint{}, bytes);
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), 30.0) << unit[3];
    }
}

// Files already written keep their check sums: zlib's CRC-32, eight bytes a step and the tail a
// byte at a time, continued across pieces.
TEST(ExactFile, CheckSumIsZlibsCrc32) {
    const auto bitwise = [](std::string_view bytes) {
        uint32_t crc = ~0u;
        for (unsigned char b : bytes) {
            crc ^= b;
            for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        return ~crc;
    };
    EXPECT_EQ(crc32Of(0, "123456789"), 0xCBF43926u);
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7 + 1);
    for (size_t n : {0, 1, 7, 8, 9, 16, 17, 300}) {
        std::string_view piece(bytes.data(), n);
        EXPECT_EQ(crc32Of(0, piece), bitwise(piece)) << n;
        EXPECT_EQ(crc32Of(crc32Of(0, piece.substr(0, n / 2)), piece.substr(n / 2)), bitwise(piece))
            << n;
    }
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
