// History and registered-text files: record bytes, line ends, damaged input, safe replacement.
#include "store/textfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;
constexpr ListKind kHistory = ListKind::History;
constexpr ListKind kRegistered = ListKind::RegisteredTexts;

// Feeds bytes in pieces cut at the given points.
Texts decode(const std::string& bytes, std::vector<size_t> cuts = {}) {
    Texts out;
    TextRecordSink sink = [&out](const std::string& text) { out.push_back(text); };
    TextRecordDecoder decoder;
    size_t from = 0;
    cuts.push_back(bytes.size());
    for (size_t cut : cuts) {
        feedTextRecords(decoder, bytes.data() + from, cut - from, sink);
        from = cut;
    }
    finishTextRecords(decoder, sink);
    return out;
}

Texts textsOf(const TextStore& store, ListKind kind) {  // oldest first, as in the file
    Texts out;
    for (int i = listCount(store, kind) - 1; i >= 0; --i)
        out.push_back(textOfId(store, idAt(store, kind, i)));
    return out;
}

std::string readBytes(const fs::path& path) {
    std::string bytes;
    if (std::FILE* f = std::fopen(path.string().c_str(), "rb")) {
        char chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
        std::fclose(f);
    }
    return bytes;
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

struct TextFile : ::testing::Test {
    fs::path dir = fs::temp_directory_path() /
                   ("qm_textfile_" + std::to_string(std::random_device{}()));
    std::string file = (dir / "quillmate.hst").string();
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

struct DecodeCase {
    std::string bytes;
    Texts texts;
};

TEST(TextRecords, DecodeWholeOrInAnyPieces) {
    const DecodeCase cases[] = {
        {std::string("B\0A\0", 4), {"B", "A"}},
        {std::string("x\r\r\ny\0", 6), {"x\r\ny"}},
        {std::string("a\rb\0a\r\0\r", 9), {"a\rb", "a\r", "\r"}},  // lone CRs stay
        {std::string("a\x1A" "b\0c\0", 6), {"a\x1A" "b", "c"}},  // 0x1A is an ordinary byte
        {std::string("\0\0", 2), {"", ""}},
        {"", {}},
        {std::string("a\0bc", 4), {"a", "bc"}},  // a cut last record is kept
        {std::string("\r\n\r\n\0\x82\xA0\r\n", 9), {"\n\n", "\x82\xA0\n"}},
    };
    for (const DecodeCase& c : cases) {
        EXPECT_EQ(decode(c.bytes), c.texts);
        for (size_t cut = 0; cut <= c.bytes.size(); ++cut)
            EXPECT_EQ(decode(c.bytes, {cut}), c.texts) << "cut at " << cut;
    }
}

TEST(TextRecords, EncodeLineEndsAsCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"x\r\ny", std::string("x\r\r\ny\0", 6)},
        {"", std::string(1, '\0')},
        {"\n\n", std::string("\r\n\r\n\0", 5)},
        {"\r", std::string("\r\0", 2)},
    };
    for (const auto& c : cases) {
        std::string out = "prefix";
        appendTextRecord(out, c.first);
        EXPECT_EQ(out, "prefix" + c.second);
    }
}

TEST(TextRecords, RandomBytesDecodeAlikeInPiecesAndTextsRoundTrip) {
    std::mt19937 rng(11);
    const char alphabet[] = {'\0', '\r', '\n', '\x1A', 'a', '\x82', '\xFF'};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        for (size_t n = rng() % 40; n > 0; --n) bytes.push_back(alphabet[rng() % sizeof alphabet]);
        Texts whole = decode(bytes);
        ASSERT_EQ(decode(bytes, {rng() % (bytes.size() + 1)}), whole) << round;
        // Every text without NUL survives the round trip, CRs before LFs included.
        std::string encoded;
        for (const std::string& t : whole) appendTextRecord(encoded, t);
        ASSERT_EQ(decode(encoded), whole) << round;
    }
}

TEST_F(TextFile, SavesOldestFirstAndLoadsBackByteForByte) {
    const Texts texts = {
        "B", "表示\r\n二行目", "", "a\x1A" "b", std::string(100 * 1024, 'L') + "\n", "x\r", "A"};
    TextStore store;
    for (const std::string& t : texts) addText(store, kHistory, t.c_str());
    ASSERT_TRUE(saveTextFile(store, kHistory, file.c_str()));
    std::string expected;
    for (const std::string& t : texts) appendTextRecord(expected, t);
    const std::string head("B\0\x95\x5C\x8E\xA6\r\r\n\x93\xF1\x8D\x73\x96\xDA\0", 16);
    EXPECT_EQ(readBytes(file).substr(0, head.size()), head);
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_FALSE(fs::exists(file + ".tmp"));

    TextStore loaded;
    ASSERT_TRUE(loadTextFile(loaded, kHistory, file.c_str()));
    EXPECT_EQ(textsOf(loaded, kHistory), texts);
    EXPECT_STREQ(textOfId(loaded, idAt(loaded, kHistory, 0)), "A");
}

TEST_F(TextFile, SaveReplacesWholeFileAndEmptyListLeavesNoBytes) {
    writeBytes(file, std::string(5000, 'x'));
    TextStore store;
    ASSERT_TRUE(saveTextFile(store, kHistory, file.c_str()));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    // A folder that does not exist: nothing written, failure reported.
    std::string nowhere = (dir / "missing" / "q.hst").string();
    EXPECT_FALSE(saveTextFile(store, kHistory, nowhere.c_str()));
    EXPECT_FALSE(fs::exists(nowhere + ".tmp"));
    EXPECT_FALSE(saveTextFile(store, static_cast<ListKind>(3), file.c_str()));
}

TEST_F(TextFile, LoadKeepsLaterOfEqualRecordsAndLongRecordsWhole) {
    std::string huge(2 * 1024 * 1024 + 3, 'h');  // beyond any one read buffer
    writeBytes(file, std::string("same\0other\0same\0", 16) + huge);
    TextStore store;
    addText(store, kHistory, "kept");
    ASSERT_TRUE(loadTextFile(store, kHistory, file.c_str()));
    EXPECT_EQ(textsOf(store, kHistory), (Texts{"kept", "other", "same", huge}));
    EXPECT_FALSE(loadTextFile(store, kHistory, (dir / "none.hst").string().c_str()));
    EXPECT_EQ(listCount(store, kHistory), 4);
}

TEST_F(TextFile, DamagedFilesLoadWithoutHarm) {
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        for (size_t n = rng() % 3000; n > 0; --n)
            bytes.push_back(rng() % 4 ? char(rng()) : "\0\r\n\x1A"[rng() % 4]);
        writeBytes(file, bytes);
        Texts expected;  // an equal record moves the earlier one to its own place
        for (const std::string& t : decode(bytes)) {
            expected.erase(std::remove(expected.begin(), expected.end(), t), expected.end());
            expected.push_back(t);
        }
        TextStore store;
        ASSERT_TRUE(loadTextFile(store, kRegistered, file.c_str()));
        ASSERT_EQ(textsOf(store, kRegistered), expected) << round;
        ASSERT_TRUE(saveTextFile(store, kRegistered, file.c_str()));
        TextStore again;
        loadTextFile(again, kRegistered, file.c_str());
        ASSERT_EQ(textsOf(again, kRegistered), expected) << round;
    }
}

}  // namespace
