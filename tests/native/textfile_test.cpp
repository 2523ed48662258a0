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

// Feeds the bytes in two pieces cut at `cut`.
Texts decode(const std::string& bytes, size_t cut = 0) {
    Texts out;
    TextRecordSink sink = [&out](const std::string& text) { out.push_back(text); };
    TextRecordDecoder decoder;
    feedTextRecords(decoder, bytes.data(), cut, sink);
    feedTextRecords(decoder, bytes.data() + cut, bytes.size() - cut, sink);
    finishTextRecords(decoder, sink);
    return out;
}

Texts oldestFirst(const TextStore& store) {
    Texts out;
    for (int i = listCount(store, kHistory) - 1; i >= 0; --i)
        out.push_back(textOfId(store, idAt(store, kHistory, i)));
    return out;
}

std::string readBytes(const std::string& path) {
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    for (int c; f && (c = std::fgetc(f)) != EOF;) bytes.push_back(char(c));
    if (f) std::fclose(f);
    return bytes;
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(TextRecords, DecodeWholeOrInAnyTwoPieces) {
    const std::pair<std::string, Texts> cases[] = {
        {std::string("B\0A\0", 4), {"B", "A"}},
        {std::string("x\r\r\ny\0", 6), {"x\r\ny"}},
        {std::string("a\rb\0a\r\0\r", 9), {"a\rb", "a\r", "\r"}},  // lone CRs stay
        {std::string("a\x1A" "b\0c\0", 6), {"a\x1A" "b", "c"}},  // 0x1A is an ordinary byte
        {std::string("\0\0", 2), {"", ""}},
        {"", {}},
        {std::string("a\0bc", 4), {"a", "bc"}},  // a cut last record is kept
    };
    for (const auto& [bytes, texts] : cases)
        for (size_t cut = 0; cut <= bytes.size(); ++cut)
            EXPECT_EQ(decode(bytes, cut), texts) << cut;
}

TEST(TextRecords, RandomBytesDecodeAlikeInPiecesAndEveryTextRoundTrips) {
    std::mt19937 rng(11);
    const char alphabet[] = {'\0', '\r', '\n', '\x1A', 'a', '\x82', '\xFF'};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (size_t n = rng() % 40; n > 0; --n) bytes.push_back(alphabet[rng() % sizeof alphabet]);
        Texts texts = decode(bytes);
        ASSERT_EQ(decode(bytes, rng() % (bytes.size() + 1)), texts) << round;
        std::string encoded;
        for (const std::string& t : texts) appendTextRecord(encoded, t);
        ASSERT_EQ(decode(encoded), texts) << round;
    }
}

struct TextFile : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("qm_" + std::to_string(std::random_device{}()));
    std::string file = (dir / "q.hst").string();
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(TextFile, SavesOldestFirstWithCrLfAndLoadsBack) {
    const std::string big(100 * 1024, 'L');
    const Texts texts = {"B", "表示\r\n行", "", "a\x1A" "b", big, "x\r", "A"};
    TextStore store;
    for (const std::string& t : texts) addText(store, kHistory, t.c_str());
    writeBytes(file, std::string(300 * 1024, 'o'));  // a longer old file is replaced whole
    ASSERT_TRUE(saveTextFile(store, kHistory, file.c_str()));
    const std::string head("B\0\x95\x5C\x8E\xA6\r\r\n\x8D\x73\0\0a\x1A" "b\0", 17);
    EXPECT_EQ(readBytes(file), head + big + std::string("\0x\r\0A\0", 6));
    EXPECT_FALSE(fs::exists(file + ".tmp"));
    TextStore loaded;
    addText(loaded, kHistory, "A");  // loading adds; an equal record moves it
    ASSERT_TRUE(loadTextFile(loaded, kHistory, file.c_str()));
    EXPECT_EQ(oldestFirst(loaded), texts);
}

TEST_F(TextFile, EmptyListMissingFilesAndLongRecords) {
    TextStore store;
    ASSERT_TRUE(saveTextFile(store, kHistory, file.c_str()));
    EXPECT_EQ(fs::file_size(file), 0u);
    std::string nowhere = (dir / "missing" / "q.hst").string();
    EXPECT_FALSE(saveTextFile(store, kHistory, nowhere.c_str()));
    EXPECT_FALSE(loadTextFile(store, kHistory, nowhere.c_str()));
    const std::string huge(3 * 1024 * 1024, 'h');  // longer than any fixed read buffer
    writeBytes(file, "same" + std::string(1, '\0') + huge + std::string(1, '\0') + "same");
    ASSERT_TRUE(loadTextFile(store, kHistory, file.c_str()));
    EXPECT_EQ(oldestFirst(store), (Texts{huge, "same"}));
}

TEST_F(TextFile, DamagedFilesLoadAsTheirRecordsAndSaveBackAlike) {
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        for (size_t n = rng() % 3000; n > 0; --n)
            bytes.push_back(rng() % 4 ? char(rng()) : "\0\r\n\x1A"[rng() % 4]);
        writeBytes(file, bytes);
        Texts expected;  // a later equal record moves the earlier one to its own place
        for (const std::string& t : decode(bytes)) {
            expected.erase(std::remove(expected.begin(), expected.end(), t), expected.end());
            expected.push_back(t);
        }
        TextStore store, again;
        ASSERT_TRUE(loadTextFile(store, kHistory, file.c_str()));
        ASSERT_EQ(oldestFirst(store), expected) << round;
        ASSERT_TRUE(saveTextFile(store, kHistory, file.c_str()));
        ASSERT_TRUE(loadTextFile(again, kHistory, file.c_str()));
        ASSERT_EQ(oldestFirst(again), expected) << round;
    }
}

}  // namespace
